#pragma once

#include "settings.h"

namespace vkm {

// Puts the record into the state of an unconfigured controller: nothing in
// use, every selector 255, every number 0, four passport texts preset. The
// reserved bytes, the spare row and column of the switch-point input arrays,
// the filler and text characters past each new length are left as they were.
void ResetDefaults(SettingsRecord& r);

} // namespace vkm
