// The rules of the organiser's check applied by brute force to the files a
// simulated contest wrote, read back with zelk's own Cabrillo reader (the
// lines it reads and those it reads in part): which log of each call is
// used, each log's clock correction, the status of every line, each
// entrant's category, checked score and place. Plain searches, and every
// decision expected to have one candidate only: the simulator places its
// faults so that they do.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "simulator.h"

namespace zelk::sim {

struct CheckedEntrant {
    std::string categoryOperator;  // as read: capitals, defaults filled in
    std::string categoryBand;
    std::string categoryPower;
    std::string categoryTransmitter;
    int64_t checkedScore = 0;
    int32_t clockOffset = 0;
    std::vector<int64_t> clockPairs;  // our time minus the partner's, of each pair
};

struct BruteForceResult {
    // File and line -> status; line 0 for a file not used (not_read, superseded).
    std::map<std::pair<std::string, uint32_t>, std::string> statuses;
    std::map<std::string, CheckedEntrant> entrants;  // by file of the log used
    std::map<std::string, std::string> contestOf;    // CONTEST: of every Cabrillo file
    std::map<std::string, bool> categoryWritten;     // any CATEGORY- line but MODE, per log used
    std::map<std::string, bool> categoryInCapitals;  // its category values all in capitals
    std::set<std::string> uniqueCalls;               // calls of unique lines
    int confirmedByOutOfPeriod = 0;  // confirmed lines paired with an out_of_period line
    std::map<std::string, int> unreadableLines;  // per log used, partly read or not
    int partlyReadLines = 0;                     // in the logs used
    int portableLogs = 0;              // logs used whose lines send another call than CALLSIGN:
    int cabrillo2Logs = 0;             // logs used whose category is a CATEGORY: line
    int newerWithoutContest = 0;       // logs used without CONTEST: over an older one of ZELK
    int symmetricClockPairs = 0;       // two logs whose pairs are all with each other, off
    std::set<std::string> splitCalls;  // calls without a log whose logs agree on no place
    std::set<std::string> nearCalls;   // such calls in enough logs, near an entrant's call
};

// Fails the current test (with a message) where a rule finds two candidates.
BruteForceResult CheckByBruteForce(const SimulatedContest& contest);

// Places within each category (operator, band, power) by the scores given:
// one more than the entrants of the category with a higher score; 0 for a
// check log.
std::map<std::string, uint32_t> PlacesOf(const std::map<std::string, CheckedEntrant>& entrants);

}  // namespace zelk::sim
