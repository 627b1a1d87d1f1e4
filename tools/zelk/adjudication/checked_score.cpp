// The last step: each entrant's counts, its checked score from the credited
// lines by the contest's own scoring function, and the places.
#include <algorithm>

#include "adjudication/check_steps.h"
#include "contest/coordinate.h"
#include "scoring/score.h"

namespace zelk::adjudication {

std::string_view GroupTexts::Of(const CheckedLine& line) {
    // The group `zelk score` gives the same line: its band's lower edge.
    const uint64_t megahertz = logfile::GroupMegahertz(
        line.freqKHz != 0 ? line.freqKHz : logfile::Bands()[line.band].lowerHz / 1000);
    auto it = m_texts.find(megahertz);
    if (it == m_texts.end()) {
        it = m_texts.emplace(megahertz, std::to_string(megahertz)).first;
    }
    return it->second;
}

ScoredContact ScoredLine(const ContestCheck& contest, const CheckedLine& line, GroupTexts& groups) {
    return {contest.calls.Text(line.call), groups.Of(line), line.Received()};
}

uint32_t Entrant::QsosClaimed() const {
    return static_cast<uint32_t>(log.lines.size()) - Count(LineStatus::kXQso);
}

uint32_t Entrant::QsosCredited() const {
    return Count(LineStatus::kConfirmed) + Count(LineStatus::kPartnerBustedCall) +
           Count(LineStatus::kNoLogCredited);
}

double Entrant::ErrorRate() const {
    const uint32_t checked = static_cast<uint32_t>(log.lines.size()) - Count(LineStatus::kXQso) -
                             Count(LineStatus::kNotCw) - Count(LineStatus::kDupe);
    const uint32_t lost = Count(LineStatus::kBustedExchange) + Count(LineStatus::kBustedCall) +
                          Count(LineStatus::kNil) + Count(LineStatus::kUnique);
    return checked == 0 ? 0.0 : static_cast<double>(lost) / checked;
}

void ScoreEntrants(ContestCheck& contest) {
    GroupTexts groups;
    std::vector<ScoredContact> credited;
    for (Entrant& entrant : contest.entrants) {
        credited.clear();
        for (const CheckedLine& line : entrant.log.lines) {
            ++entrant.statusCounts[static_cast<std::size_t>(line.status)];
            if (IsCredited(line.status)) {
                credited.push_back(ScoredLine(contest, line, groups));
            }
        }
        entrant.nils = entrant.Count(LineStatus::kNil);
        entrant.checked = ScoreContacts(credited, ParseCoordinate(entrant.log.stationCoordinate));
        const int64_t penalty =
            int64_t{contest.rules.nilPenalty} * kPointsPerContact * entrant.nils;
        entrant.checkedScore = std::max<int64_t>(0, entrant.checked.claimedScore - penalty);
    }
    contest.ranking.resize(contest.entrants.size());
    for (uint32_t i = 0; i < contest.ranking.size(); ++i) {
        contest.ranking[i] = i;
    }
    // Entrants are in order of call already: a stable sort keeps equal scores so.
    std::stable_sort(contest.ranking.begin(), contest.ranking.end(), [&](uint32_t a, uint32_t b) {
        return contest.entrants[a].checkedScore > contest.entrants[b].checkedScore;
    });
    for (std::size_t r = 0; r < contest.ranking.size(); ++r) {
        Entrant& entrant = contest.entrants[contest.ranking[r]];
        const bool tied =
            r > 0 && contest.entrants[contest.ranking[r - 1]].checkedScore == entrant.checkedScore;
        entrant.place =
            tied ? contest.entrants[contest.ranking[r - 1]].place : static_cast<uint32_t>(r + 1);
    }
}

}  // namespace zelk::adjudication
