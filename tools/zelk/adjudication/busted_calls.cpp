// The third step: busted calls. A line left without a match may be a call
// copied wrong: then another entrant, a few edits from the call we logged,
// logged us on the band within the time window, in a line that nothing
// matched either. Every such pair of lines is a candidate; the pairs nearest
// in time are taken first, and each line takes part in one pair at most.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <unordered_map>

#include "adjudication/check_steps.h"

namespace zelk::adjudication {

namespace {

// Longer texts are no calls; they are compared for equality only, which
// keeps the distance's cost bounded on any input.
constexpr std::size_t kLongestComparedCall = 32;

struct NearEntrant {
    uint32_t entrant = 0;
    int edits = 0;
};

struct Candidate {
    int64_t apart = 0;  // minutes between the two lines
    int edits = 0;
    uint32_t ours = 0;  // contest-wide line numbers
    uint32_t theirs = 0;
    auto operator<=>(const Candidate&) const = default;
};

// The entrants whose calls lie 1 .. callDistance edits from `call`.
std::vector<NearEntrant> NearEntrants(const ContestCheck& contest, uint32_t call) {
    std::vector<NearEntrant> near;
    const std::string_view text = contest.calls.Text(call);
    const int limit = contest.rules.callDistance;
    for (uint32_t d = 0; d < contest.entrants.size(); ++d) {
        if (d == call) {
            continue;
        }
        const int edits = EditDistance(text, contest.calls.Text(d), limit);
        if (edits <= limit) {
            near.push_back({d, edits});
        }
    }
    return near;
}

}  // namespace

int EditDistance(std::string_view a, std::string_view b, int limit) {
    const std::size_t apart = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
    if (apart > static_cast<std::size_t>(limit)) {
        return limit + 1;
    }
    if (a.size() > kLongestComparedCall || b.size() > kLongestComparedCall) {
        return a == b ? 0 : limit + 1;
    }
    std::array<int, kLongestComparedCall + 1> previous{};
    std::array<int, kLongestComparedCall + 1> current{};
    for (std::size_t j = 0; j <= b.size(); ++j) {
        previous[j] = static_cast<int>(j);
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        current[0] = static_cast<int>(i);
        int rowLeast = current[0];
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const int substitute = previous[j - 1] + (a[i - 1] != b[j - 1]);
            current[j] = std::min({substitute, previous[j] + 1, current[j - 1] + 1});
            rowLeast = std::min(rowLeast, current[j]);
        }
        if (rowLeast > limit) {
            return limit + 1;
        }
        std::swap(previous, current);
    }
    return std::min(previous[b.size()], limit + 1);
}

void FindBustedCalls(ContestCheck& contest, const PartnerIndex& index) {
    if (contest.rules.callDistance <= 0) {
        return;
    }
    const int64_t window = contest.rules.timeWindowMinutes;
    std::unordered_map<uint32_t, std::vector<NearEntrant>> nearByCall;
    std::vector<Candidate> candidates;
    for (uint32_t a = 0; a < contest.entrants.size(); ++a) {
        const Entrant& ours = contest.entrants[a];
        for (uint32_t i = 0; i < ours.log.lines.size(); ++i) {
            const CheckedLine& line = ours.log.lines[i];
            if (line.status != LineStatus::kPending || line.band == logfile::kNoBand) {
                continue;
            }
            auto near = nearByCall.find(line.call);
            if (near == nearByCall.end()) {
                near = nearByCall.emplace(line.call, NearEntrants(contest, line.call)).first;
            }
            for (const NearEntrant& d : near->second) {
                if (d.entrant == a) {
                    continue;
                }
                const Entrant& other = contest.entrants[d.entrant];
                const uint32_t found = index.Find(d.entrant, a, line.band);
                if (found == kNoLine || other.log.lines[found].status != LineStatus::kPending) {
                    continue;  // D did not log us on the band, or a line of ours matched it
                }
                const int64_t apart = std::llabs(other.log.lines[found].minute - line.minute);
                if (apart <= window) {
                    candidates.push_back(
                        {apart, d.edits, ours.firstLine + i, other.firstLine + found});
                }
            }
        }
    }
    std::sort(candidates.begin(), candidates.end());
    for (const Candidate& candidate : candidates) {
        CheckedLine& mine = contest.LineAt(candidate.ours);
        CheckedLine& theirs = contest.LineAt(candidate.theirs);
        if (mine.status != LineStatus::kPending || theirs.status != LineStatus::kPending) {
            continue;  // one of them was taken by a nearer pair
        }
        mine.status = LineStatus::kBustedCall;
        mine.decidedBy = candidate.theirs;
        theirs.status = LineStatus::kPartnerBustedCall;
        theirs.decidedBy = candidate.ours;
    }
}

}  // namespace zelk::adjudication
