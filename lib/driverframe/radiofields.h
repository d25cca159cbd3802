#pragma once
// The radio buttons of a driver's preferences as values: in each group exactly one reads "1".

#include <vector>

#include "frameconfig.h"
#include "linkinterfaces.h"

namespace nimbra::driver {

// Settles each radio group of `fields` in `values` (read from the settings store) the way
// the preferences window shows it: the last button stored as "1" is chosen, and a group with
// none keeps its default. Stored values that choose two buttons, or none, thus never reach
// the link.
void SettleRadioGroups(const std::vector<PrefField>& fields, LinkFields& values);

}  // namespace nimbra::driver
