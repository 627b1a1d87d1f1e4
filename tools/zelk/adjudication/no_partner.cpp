// The fourth step: the lines nothing above decided. A call that sent a log
// makes the line a NIL; a call without a log is credited when enough logs
// hold it (it is then taken to be real), else the line is unique.
#include <algorithm>
#include <cstdlib>

#include "adjudication/check_steps.h"

namespace zelk::adjudication {

namespace {

// Of the partner's lines with our call on any band, the nearest in time: a
// NIL's report shows it, so the entrant sees a wrong band or time.
uint32_t NearestWithUs(const ContestCheck& contest, const PartnerIndex& index, uint32_t partner,
                       uint32_t us, const CheckedLine& line) {
    const Entrant& other = contest.entrants[partner];
    uint32_t nearest = kNoLine;
    int64_t nearestApart = 0;
    for (const PartnerIndex::Entry& entry : index.WithCall(partner, us)) {
        const int64_t apart = std::llabs(other.log.lines[entry.line].minute - line.minute);
        if (nearest == kNoLine || apart < nearestApart) {
            nearest = other.firstLine + entry.line;
            nearestApart = apart;
        }
    }
    return nearest;
}

}  // namespace

void DecideTheRest(ContestCheck& contest, const PartnerIndex& index) {
    contest.appearances.assign(contest.calls.Size(), 0);
    std::vector<uint32_t> lastLog(contest.calls.Size(), kNoLine);
    for (uint32_t a = 0; a < contest.entrants.size(); ++a) {
        for (const CheckedLine& line : contest.entrants[a].log.lines) {
            if (line.Counts() && lastLog[line.call] != a) {
                lastLog[line.call] = a;
                ++contest.appearances[line.call];
            }
        }
    }
    const auto least = static_cast<uint32_t>(std::max(contest.rules.minAppearances, 0));
    for (uint32_t a = 0; a < contest.entrants.size(); ++a) {
        for (CheckedLine& line : contest.entrants[a].log.lines) {
            if (line.status != LineStatus::kPending) {
                continue;
            }
            if (line.call < contest.entrants.size()) {
                line.status = LineStatus::kNil;
                line.decidedBy =
                    line.call == a ? kNoLine : NearestWithUs(contest, index, line.call, a, line);
            } else {
                line.status = contest.appearances[line.call] >= least ? LineStatus::kNoLogCredited
                                                                      : LineStatus::kUnique;
            }
        }
    }
}

void ReviewForTheOrganiser(ContestCheck& contest) {
    const auto entrants = static_cast<uint32_t>(contest.entrants.size());
    for (Entrant& entrant : contest.entrants) {
        entrant.causedNils = 0;
    }
    for (uint32_t a = 0; a < entrants; ++a) {
        for (const CheckedLine& line : contest.entrants[a].log.lines) {
            if (line.status == LineStatus::kNil && line.call < entrants && line.call != a) {
                ++contest.entrants[line.call].causedNils;
            }
        }
    }
    contest.missingLogs.clear();
    for (uint32_t call = entrants; call < contest.appearances.size(); ++call) {
        if (contest.appearances[call] >= kLeastLogsOfAMissingLog) {
            contest.missingLogs.push_back(
                {std::string(contest.calls.Text(call)), contest.appearances[call]});
        }
    }
    std::sort(contest.missingLogs.begin(), contest.missingLogs.end(),
              [](const MissingLog& a, const MissingLog& b) {
                  return a.logs != b.logs ? a.logs > b.logs : a.call < b.call;
              });
}

}  // namespace zelk::adjudication
