#pragma once
// The targets beyond the Places Bar that the platform the program runs on has.

#include "targets/place_targets.h"

namespace varnel {

// Adds them to `targets`, each cleaned of what a killed earlier run left
// behind, unless another running copy of the program owns them (it must keep
// its entries). Call once, before anything applies a group.
void addTargetsOfThisPlatform(PlaceTargets& targets);

}  // namespace varnel
