// The fourth step: the lines nothing above decided. A call an entrant sends
// makes the line a NIL; a call without a log is credited when enough logs
// hold it (it is then taken to be real), else the line is unique. The logs
// that worked a call without a log are its only witnesses: where they agree
// on its coordinate (at least two, and more than copied any other), a copy
// that differs is a busted exchange; where they do not, each is credited as
// it stands.
#include <algorithm>
#include <cstdlib>
#include <unordered_map>

#include "adjudication/check_steps.h"

namespace zelk::adjudication {

namespace {

// Of the partner's lines with the call we sent on any band, the nearest in
// time: a NIL's report shows it, so the entrant sees a wrong band or time.
uint32_t NearestWithUs(const ContestCheck& contest, const PartnerIndex& index, uint32_t partner,
                       const CheckedLine& line) {
    const Entrant& other = contest.entrants[partner];
    uint32_t nearest = kNoLine;
    int64_t nearestApart = 0;
    for (const PartnerIndex::Entry& entry : index.WithCall(partner, line.ownCall)) {
        const int64_t apart = std::llabs(other.log.lines[entry.line].minute - line.minute);
        if (nearest == kNoLine || apart < nearestApart) {
            nearest = other.firstLine + entry.line;
            nearestApart = apart;
        }
    }
    return nearest;
}

// What the logs copied as the coordinate of each call without a log that
// enough logs hold: each log counted once per coordinate, over its lines
// with the call that were read and are not busted calls.
std::unordered_map<uint32_t, NoLogCoordinate> NoLogCoordinates(const ContestCheck& contest,
                                                               uint32_t least) {
    // (call, coordinate) -> logs, counted once per log.
    std::unordered_map<uint64_t, std::pair<uint32_t, uint32_t>> copies;  // logs, last log
    for (uint32_t a = 0; a < contest.entrants.size(); ++a) {
        for (const CheckedLine& line : contest.entrants[a].log.lines) {
            if (contest.SenderOf(line.call) != ContestCheck::kNoEntrant ||
                contest.appearances[line.call] < least || !line.Counts() ||
                line.status == LineStatus::kBustedCall) {
                continue;
            }
            auto& [logs, last] =
                copies
                    .try_emplace(uint64_t{line.call} << 32 | line.receivedCoordinate, 0,
                                 ContestCheck::kNoEntrant)
                    .first->second;
            if (last != a) {
                last = a;
                ++logs;
            }
        }
    }
    std::unordered_map<uint32_t, NoLogCoordinate> coordinates;
    for (const auto& [key, counted] : copies) {
        const auto call = static_cast<uint32_t>(key >> 32);
        const auto coordinate = static_cast<uint32_t>(key & 0xFFFFFFFFu);
        const uint32_t logs = counted.first;
        NoLogCoordinate& c = coordinates[call];
        ++c.coordinates;
        // The most copied first; of equal counts the smaller key, so that
        // the outcome does not hang on the map's order.
        if (logs > c.logs || (logs == c.logs && coordinate < c.coordinate)) {
            c.nextLogs = std::max(c.nextLogs, c.logs);
            c.logs = logs;
            c.coordinate = coordinate;
        } else {
            c.nextLogs = std::max(c.nextLogs, logs);
        }
    }
    for (auto& [call, c] : coordinates) {
        c.agreed = c.logs >= 2 && c.logs > c.nextLogs;
    }
    return coordinates;
}

}  // namespace

void CountAppearances(ContestCheck& contest) {
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
}

void DecideTheRest(ContestCheck& contest, const PartnerIndex& index) {
    const auto least = static_cast<uint32_t>(std::max(contest.rules.minAppearances, 0));
    contest.noLogCoordinates = NoLogCoordinates(contest, least);
    for (uint32_t a = 0; a < contest.entrants.size(); ++a) {
        for (CheckedLine& line : contest.entrants[a].log.lines) {
            if (line.status != LineStatus::kPending) {
                continue;
            }
            const uint32_t partner = contest.SenderOf(line.call);
            if (partner != ContestCheck::kNoEntrant) {
                line.status = LineStatus::kNil;
                line.decidedBy =
                    partner == a ? kNoLine : NearestWithUs(contest, index, partner, line);
            } else if (contest.appearances[line.call] < least) {
                line.status = LineStatus::kUnique;
            } else {
                const auto votes = contest.noLogCoordinates.find(line.call);
                const bool differs = votes != contest.noLogCoordinates.end() &&
                                     votes->second.agreed &&
                                     votes->second.coordinate != line.receivedCoordinate;
                line.status = differs ? LineStatus::kBustedExchange : LineStatus::kNoLogCredited;
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
            const uint32_t partner = contest.SenderOf(line.call);
            if (line.status == LineStatus::kNil && partner != ContestCheck::kNoEntrant &&
                partner != a) {
                ++contest.entrants[partner].causedNils;
            }
        }
    }
    contest.missingLogs.clear();
    for (uint32_t call = entrants; call < contest.appearances.size(); ++call) {
        if (contest.SenderOf(call) == ContestCheck::kNoEntrant &&
            contest.appearances[call] >= kLeastLogsOfAMissingLog) {
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
