#pragma once
// The protocols the simulator speaks, by the name given to --protocol.

#include <QString>

#include "simulator.h"

namespace mcsim {

// The sessions of `protocol`; an empty function for a protocol the simulator does not know.
SessionFactory SessionsOf(const QString& protocol);

}  // namespace mcsim
