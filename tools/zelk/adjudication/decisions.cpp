// The adjudicator's decisions, applied once the check has decided every
// line: each names an entrant's call and a line number of its log file.
// A decision that names no QSO line of the contest is kept aside and
// reported, never dropped without a word.
#include <algorithm>

#include "adjudication/check_steps.h"
#include "text/text.h"

namespace zelk::adjudication {

const Decision* ContestCheck::DecisionOn(uint32_t number) const {
    const auto it = std::lower_bound(applied.begin(), applied.end(), number,
                                     [](const auto& a, uint32_t n) { return a.first < n; });
    return it != applied.end() && it->first == number ? &rules.decisions[it->second] : nullptr;
}

bool ContestCheck::DecidedCredit(uint32_t number, const CheckedLine& line) const {
    const Decision* decision = DecisionOn(number);
    return decision != nullptr ? decision->verdict == Decision::Verdict::kCredit
                               : IsCredited(line.status);
}

void ApplyDecisions(ContestCheck& contest) {
    contest.applied.clear();
    contest.staleDecisions.clear();
    for (uint32_t d = 0; d < contest.rules.decisions.size(); ++d) {
        const Decision& decision = contest.rules.decisions[d];
        const uint32_t call = contest.calls.Find(Upper(decision.call));
        if (call == CallTable::kNoCall || call >= contest.entrants.size()) {
            contest.staleDecisions.push_back(
                {decision, "no log of " + Printable(decision.call) + " was checked"});
            continue;
        }
        Entrant& entrant = contest.entrants[call];
        const auto& lines = entrant.log.lines;
        const auto line = std::find_if(lines.begin(), lines.end(), [&](const CheckedLine& l) {
            return l.lineNumber == decision.line;
        });
        if (line == lines.end()) {
            contest.staleDecisions.push_back({decision, Printable(entrant.log.name) +
                                                            " has no QSO line " +
                                                            std::to_string(decision.line)});
            continue;
        }
        const auto number = static_cast<uint32_t>(entrant.firstLine + (line - lines.begin()));
        contest.applied.emplace_back(number, d);
    }
    // One decision per line: of two on one line, the later in the file.
    std::stable_sort(contest.applied.begin(), contest.applied.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::pair<uint32_t, uint32_t>> kept;
    for (const auto& decision : contest.applied) {
        if (!kept.empty() && kept.back().first == decision.first) {
            kept.back() = decision;
        } else {
            kept.push_back(decision);
        }
    }
    contest.applied = std::move(kept);
    for (Entrant& entrant : contest.entrants) {
        entrant.overridden = 0;
    }
    for (const auto& [number, index] : contest.applied) {
        const Entrant* entrant = contest.Line(number).entrant;
        ++contest.entrants[static_cast<std::size_t>(entrant - contest.entrants.data())].overridden;
    }
}

}  // namespace zelk::adjudication
