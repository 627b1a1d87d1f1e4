// The baseline of adjudicate_bench: the rules of the contest check written
// the plain way, every search from the front of a list (the entrants for a
// call, the partner's log for our line, the own log for a dupe), as a first
// script of an organiser would. Gives the same statuses as CheckContest.
#pragma once

#include <vector>

#include "adjudication/contest_check.h"

namespace zelk::bench {

// The status of every line, per entrant in the order of CheckContest's
// entrants (by call); logs of one call: the newest, as there.
std::vector<std::vector<adjudication::LineStatus>> PlainCheck(
    const std::vector<adjudication::LogFile>& files, const adjudication::CheckRules& rules);

}  // namespace zelk::bench
