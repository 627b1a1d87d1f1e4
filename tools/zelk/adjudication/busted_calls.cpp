// The step after matching: busted calls. A line left unpaired may be a call
// copied wrong: then another entrant D, whose line sent a call a few edits
// from the one we logged, logged the call we sent on the band within the
// time window, in a line left unpaired too, and we copied D's exchange
// exactly as D sent it (the evidence that it is the same QSO). Every such
// pair of lines is a candidate. A call without a log that enough logs hold
// stands as a real station and is never taken for a busted call. A line
// whose call is exactly one an entrant sends is taken to be right where it
// can be: a pair in which it is the line copied right wins over a pair in
// which it would be the busted one; then the pairs nearest in time are
// taken first, and each line takes part in one pair at most. D's copy of
// our exchange is then judged as in any pair.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <unordered_map>

#include "adjudication/check_steps.h"
#include "adjudication/near_calls.h"

namespace zelk::adjudication {

namespace {

// Longer texts are no calls; they are compared for equality only, which
// keeps the distance's cost bounded on any input.
constexpr std::size_t kLongestComparedCall = 32;

struct Candidate {
    // 1 when the line taken as busted names a call an entrant sends: a pair
    // that keeps it right comes first.
    int demotesExactCall = 0;
    int64_t apart = 0;  // minutes between the two lines
    int edits = 0;
    uint32_t ours = 0;  // contest-wide line numbers: ours busted, theirs copied right
    uint32_t theirs = 0;
    auto operator<=>(const Candidate&) const = default;
};

bool Unpaired(const CheckedLine& line) {
    return line.match == kNoLine && line.band != logfile::kNoBand;
}

// The evidence that a near call is the same QSO: the side that copied the
// call wrong copied the other's exchange exactly as it was sent.
bool CopiedExactly(const CheckedLine& ours, const CheckedLine& theirs) {
    return ours.receivedRead && theirs.sentRead && ours.receivedSerial == theirs.sentSerial &&
           ours.receivedCoordinate == theirs.sentCoordinate;
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
    const auto least = static_cast<uint32_t>(std::max(contest.rules.minAppearances, 0));
    // The calls the entrants' lines send: a call is copied wrong from one of them.
    std::vector<uint32_t> sentCalls;
    std::vector<std::string_view> texts;
    for (uint32_t call = 0; call < contest.senderOf.size(); ++call) {
        if (contest.senderOf[call] != ContestCheck::kNoEntrant) {
            sentCalls.push_back(call);
            texts.push_back(contest.calls.Text(call));
        }
    }
    const NearCalls nearCalls(std::move(texts), contest.rules.callDistance);
    std::unordered_map<uint32_t, std::vector<NearEntrant>> nearByCall;
    std::vector<Candidate> candidates;
    for (uint32_t a = 0; a < contest.entrants.size(); ++a) {
        const Entrant& ours = contest.entrants[a];
        for (const PartnerIndex::Entry& entry : index.Of(a)) {
            const CheckedLine& line = ours.log.lines[entry.line];
            const bool sentByEntrant = contest.SenderOf(line.call) != ContestCheck::kNoEntrant;
            // A call without a log that enough logs hold stands as a real
            // station; a copy that cannot be read is no evidence.
            if (!Unpaired(line) || !line.receivedRead || contest.SenderOf(line.ownCall) != a ||
                (!sentByEntrant && contest.appearances[line.call] >= least)) {
                continue;
            }
            auto near = nearByCall.find(line.call);
            if (near == nearByCall.end()) {
                near = nearByCall.emplace(line.call, nearCalls.Of(contest.calls.Text(line.call)))
                           .first;
            }
            const int demotes = sentByEntrant ? 1 : 0;
            for (const NearEntrant& n : near->second) {
                const uint32_t sent = sentCalls[n.entrant];
                const uint32_t d = contest.senderOf[sent];
                if (d == a) {
                    continue;
                }
                const Entrant& other = contest.entrants[d];
                // D's lines that logged the call we sent, on the band, that
                // nothing paired; and we copied D's exchange as D sent it.
                for (const PartnerIndex::Entry& theirs : index.Find(d, line.ownCall, line.band)) {
                    const CheckedLine& found = other.log.lines[theirs.line];
                    const int64_t apart = std::llabs(found.minute - line.minute);
                    if (found.match == kNoLine && found.ownCall == sent && apart <= window &&
                        CopiedExactly(line, found)) {
                        candidates.push_back({demotes, apart, n.edits, ours.firstLine + entry.line,
                                              other.firstLine + theirs.line});
                    }
                }
            }
        }
    }
    std::sort(candidates.begin(), candidates.end());
    for (const Candidate& candidate : candidates) {
        CheckedLine& mine = contest.LineAt(candidate.ours);
        CheckedLine& theirs = contest.LineAt(candidate.theirs);
        if (mine.match != kNoLine || theirs.match != kNoLine) {
            continue;  // one of them was taken by a pair before
        }
        mine.match = candidate.theirs;
        theirs.match = candidate.ours;
        if (mine.status == LineStatus::kPending) {
            mine.status = LineStatus::kBustedCall;
            mine.decidedBy = candidate.theirs;
        }
        // The other side is judged as in a match: its copy of our exchange.
        if (theirs.status == LineStatus::kPending) {
            theirs.status = JudgeCopy(theirs, mine) == LineStatus::kConfirmed
                                ? LineStatus::kPartnerBustedCall
                                : LineStatus::kBustedExchange;
            theirs.decidedBy = candidate.ours;
        }
    }
}

}  // namespace zelk::adjudication
