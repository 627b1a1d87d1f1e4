// Building a simulated contest in memory: the stations, the true contacts
// with each side's clock, frequency and serial, the faults, and the status
// every logged side must get.
#pragma once

#include "contest_model.h"
#include "random.h"

namespace zelk::sim {

// Fills `model`, whose parameters are set and checked, drawing from `random`.
// Throws std::invalid_argument when the contest has too few contacts between
// entrants for the faults asked for.
void BuildContest(Model& model, Random& random);

}  // namespace zelk::sim
