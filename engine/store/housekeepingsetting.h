#pragma once

// The store's housekeeping options as the operator sets them in the "Server" settings section.

#include "storeenvironment.h"

namespace nimbra {

// Reads the options from the settings store now; meant as StoreEnvironment::housekeepingRules,
// so that every addition sees the current options.
HousekeepingRules ReadHousekeepingRules();

}  // namespace nimbra
