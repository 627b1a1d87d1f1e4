// The last step: each entrant's counts, its checked score from the credited
// lines by the contest's own scoring function, and the places.
#include <algorithm>

#include "adjudication/check_steps.h"
#include "adjudication/in_parallel.h"
#include "contest/coordinate.h"
#include "scoring/score.h"

namespace zelk::adjudication {

std::string_view GroupTexts::Of(const CheckedLine& line) {
    // The group `zelk score` gives the same line: its band's lower edge, one
    // text per band (a line's band is the one its frequency lies in); a
    // frequency in no band is a group of its own megahertz.
    if (line.band != logfile::kNoBand) {
        m_byBand.resize(logfile::Bands().size());
        std::string& text = m_byBand[line.band];
        if (text.empty()) {
            text = logfile::BandGroup(logfile::Bands()[line.band].lowerHz / 1000);
        }
        return text;
    }
    auto it = m_texts.find(line.freqKHz / 1000);
    if (it == m_texts.end()) {
        it = m_texts.emplace(line.freqKHz / 1000, logfile::BandGroup(line.freqKHz)).first;
    }
    return it->second;
}

ScoredContact ScoredLine(const ContestCheck& contest, const CheckedLine& line, GroupTexts& groups) {
    return {contest.calls.Text(line.call), groups.Of(line), line.Received()};
}

uint32_t Entrant::QsosClaimed() const {
    return static_cast<uint32_t>(log.lines.size()) - Count(LineStatus::kXQso) -
           Count(LineStatus::kUnreadable);
}

double Entrant::ErrorRate() const {
    uint32_t checked = static_cast<uint32_t>(log.lines.size()) - Count(LineStatus::kDupe);
    for (std::size_t s = 0; s < kStatusCount; ++s) {
        if (IsOwnLogStatus(static_cast<LineStatus>(s))) {
            checked -= statusCounts[s];
        }
    }
    const uint32_t lost = Count(LineStatus::kBustedExchange) + Count(LineStatus::kBustedCall) +
                          Count(LineStatus::kNil) + Count(LineStatus::kUnique);
    return checked == 0 ? 0.0 : static_cast<double>(lost) / checked;
}

namespace {

// Places by checked score over `ranked` (entrant indexes, in order of call):
// sorted by score, equal scores sharing a place. Writes each place through
// `place`.
template <typename PlaceOf>
std::vector<uint32_t> Rank(const ContestCheck& contest, std::vector<uint32_t> ranked,
                           PlaceOf&& place) {
    // Entrants are in order of call already: a stable sort keeps equal scores so.
    std::stable_sort(ranked.begin(), ranked.end(), [&](uint32_t a, uint32_t b) {
        return contest.entrants[a].checkedScore > contest.entrants[b].checkedScore;
    });
    for (std::size_t r = 0; r < ranked.size(); ++r) {
        const bool tied = r > 0 && contest.entrants[ranked[r - 1]].checkedScore ==
                                       contest.entrants[ranked[r]].checkedScore;
        place(ranked[r]) = tied ? place(ranked[r - 1]) : static_cast<uint32_t>(r + 1);
    }
    return ranked;
}

// One entrant's counts and checked score.
void ScoreEntrant(const ContestCheck& contest, Entrant& entrant) {
    GroupTexts groups;
    std::vector<ScoredContact> credited;
    entrant.statusCounts.fill(0);
    entrant.nils = 0;
    for (uint32_t i = 0; i < entrant.log.lines.size(); ++i) {
        const CheckedLine& line = entrant.log.lines[i];
        ++entrant.statusCounts[static_cast<std::size_t>(line.status)];
        if (contest.Credited(entrant.firstLine + i, line)) {
            credited.push_back(ScoredLine(contest, line, groups));
        } else if (line.status == LineStatus::kNil) {
            ++entrant.nils;  // a NIL the adjudicator credits costs nothing
        }
    }
    entrant.credited = static_cast<uint32_t>(credited.size());
    entrant.checked = ScoreContacts(credited, ParseCoordinate(entrant.log.stationCoordinate));
    const int64_t penalty = int64_t{contest.rules.nilPenalty} * kPointsPerContact * entrant.nils;
    entrant.checkedScore = std::max<int64_t>(0, entrant.checked.claimedScore - penalty);
}

}  // namespace

void ScoreEntrants(ContestCheck& contest) {
    // Each entrant's score reads the contest and writes only the entrant.
    InParallel(contest.entrants.size(), kCheckThreads,
               [&contest](std::size_t e) { ScoreEntrant(contest, contest.entrants[e]); });
    // Check logs are scored, never ranked.
    std::vector<uint32_t> ranked;
    for (uint32_t e = 0; e < contest.entrants.size(); ++e) {
        const LogCategory& category = contest.entrants[e].log.category;
        if (!category.IsCheckLog()) {
            ranked.push_back(e);
        }
    }
    contest.ranking =
        Rank(contest, ranked, [&](uint32_t e) -> uint32_t& { return contest.entrants[e].place; });
    contest.categories.clear();
    std::vector<uint32_t> byCategory = ranked;
    std::stable_sort(byCategory.begin(), byCategory.end(), [&](uint32_t a, uint32_t b) {
        return contest.entrants[a].log.category.SortKey(contest.rules.categories) <
               contest.entrants[b].log.category.SortKey(contest.rules.categories);
    });
    for (std::size_t first = 0; first < byCategory.size();) {
        const std::string name = contest.entrants[byCategory[first]].log.category.RankedName();
        std::size_t last = first;
        while (last < byCategory.size() &&
               contest.entrants[byCategory[last]].log.category.RankedName() == name) {
            ++last;
        }
        std::vector<uint32_t> members(byCategory.begin() + static_cast<std::ptrdiff_t>(first),
                                      byCategory.begin() + static_cast<std::ptrdiff_t>(last));
        std::sort(members.begin(), members.end());
        contest.categories.push_back(
            {name, Rank(contest, std::move(members), [&](uint32_t e) -> uint32_t& {
                 return contest.entrants[e].categoryPlace;
             })});
        first = last;
    }
    contest.checkLogs.clear();
    for (uint32_t e = 0; e < contest.entrants.size(); ++e) {
        if (contest.entrants[e].log.category.IsCheckLog()) {
            contest.checkLogs.push_back(e);
        }
    }
}

}  // namespace zelk::adjudication
