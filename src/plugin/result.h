// GetResult0's score: the rules of scoring on the module's log, group list,
// tally and station.
#pragma once

#include "plugin/module_state.h"
#include "scoring/score.h"

namespace zelk {

// Orders the module's groups, then scores its log.
ScoreResult ScoreLog(ModuleState& state);

}  // namespace zelk
