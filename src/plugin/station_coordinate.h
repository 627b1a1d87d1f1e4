// The station coordinate of the module: reading it at the start of a contest
// run, and the setup dialog that stores it (SetupSet0).
#pragma once

#include "contest/coordinate.h"

namespace zelk {

struct ModuleState;

// Sets the station coordinate from "Setup_ZELK", or from the fallback
// degrees when the key is empty.
void ReadStationCoordinate(ModuleState& state, double fallbackLat, double fallbackLong);

}  // namespace zelk
