// Clocks that are off. A log whose clock was set wrong (a whole hour is
// common) would lose every QSO as a NIL and cost its partners theirs. Its
// lines still match their partners' in everything but time, and then all
// by about the same difference: that difference, measured, is corrected.
//
// The logs are first paired with their times as logged; only a log that
// leaves most of its lines with other entrants unpaired can be off, and only
// such logs are measured: each of its lines with a partner's line on the
// band that names the two calls and holds the same exchanges both ways (the
// nearest such line in time), and the difference of their times. With at least
// kLeastPairs of them, at least 80 % within a minute of their median, and
// the median beyond the time window, the clock was off by the median. Two
// logs that worked only each other would each look off; so the logs are
// taken in rounds, the log with the most pairs that agree first, and a log
// that paired with one corrected in this round waits for the next, when it
// is measured again against the corrected times. Where a clock was
// corrected, the pairing is made again with the corrected times.
#include <algorithm>
#include <cstdlib>
#include <span>

#include "adjudication/check_steps.h"

namespace zelk::adjudication {

namespace {

constexpr std::size_t kLeastPairs = 5;

struct ClockEvidence {
    uint32_t entrant = 0;
    int64_t offset = 0;
    std::size_t agreeing = 0;        // pairs within a minute of the offset
    std::vector<uint32_t> partners;  // the entrants it paired with
};

bool SameExchanges(const CheckedLine& ours, const CheckedLine& theirs) {
    return ours.receivedSerial == theirs.sentSerial &&
           ours.receivedCoordinate == theirs.sentCoordinate &&
           theirs.receivedSerial == ours.sentSerial &&
           theirs.receivedCoordinate == ours.sentCoordinate;
}

// Judges an entrant's clock from the time differences of its pairs: offset
// 0 when the evidence does not show it off.
void Judge(const ContestCheck& contest, std::vector<int64_t> differences, ClockEvidence& evidence) {
    if (differences.size() < kLeastPairs) {
        return;
    }
    std::vector<int64_t> sorted = differences;
    const auto middle = sorted.begin() + static_cast<std::ptrdiff_t>((sorted.size() - 1) / 2);
    std::nth_element(sorted.begin(), middle, sorted.end());
    const int64_t median = *middle;
    const auto agreeing = static_cast<std::size_t>(
        std::count_if(differences.begin(), differences.end(),
                      [median](int64_t d) { return std::llabs(d - median) <= 1; }));
    if (agreeing * 5 >= differences.size() * 4 &&
        std::llabs(median) > contest.rules.timeWindowMinutes) {
        evidence.offset = median;
        evidence.agreeing = agreeing;
    }
}

// Of `theirs` (lines of the partner's log with our call on the band), the
// one nearest in time to `line` that holds the same exchanges both ways.
const CheckedLine* NearestAlike(const CheckedLine& line, const std::vector<CheckedLine>& lines,
                                std::span<const PartnerIndex::Entry> theirs) {
    const CheckedLine* nearest = nullptr;
    for (const PartnerIndex::Entry& entry : theirs) {
        const CheckedLine& candidate = lines[entry.line];
        if (SameExchanges(line, candidate) &&
            (nearest == nullptr || std::llabs(candidate.minute - line.minute) <
                                       std::llabs(nearest->minute - line.minute))) {
            nearest = &candidate;
        }
    }
    return nearest;
}

// One entrant's clock, measured against its partners' as they stand now.
ClockEvidence Measure(const ContestCheck& contest, const PartnerIndex& index, uint32_t a) {
    ClockEvidence evidence;
    evidence.entrant = a;
    std::vector<int64_t> differences;
    for (const CheckedLine& line : contest.entrants[a].log.lines) {
        const uint32_t b = line.call;
        if (b >= contest.entrants.size() || b == a || line.band == logfile::kNoBand) {
            continue;
        }
        if (const CheckedLine* nearest =
                NearestAlike(line, contest.entrants[b].log.lines, index.Find(b, a, line.band))) {
            differences.push_back(line.minute - nearest->minute);
            evidence.partners.push_back(b);
        }
    }
    Judge(contest, std::move(differences), evidence);
    return evidence;
}

// Whether the entrant's clock may be off, as the pairing with the times as
// logged shows: a clock off by more than the window leaves most of the
// lines with other entrants unpaired (at least 80 % of the pairs that show
// it are beyond the window). Only such logs are measured, so a contest of
// right clocks costs one pass over the lines.
bool MayBeOff(const ContestCheck& contest, uint32_t a) {
    std::size_t withEntrants = 0;
    std::size_t unpaired = 0;
    for (const CheckedLine& line : contest.entrants[a].log.lines) {
        if (line.call < contest.entrants.size() && line.call != a &&
            line.band != logfile::kNoBand) {
            ++withEntrants;
            unpaired += line.match == kNoLine ? 1 : 0;
        }
    }
    return unpaired * 5 >= kLeastPairs * 4 && unpaired * 5 >= withEntrants * 2;
}

}  // namespace

bool CorrectClocks(ContestCheck& contest, PartnerIndex& index) {
    const auto entrants = static_cast<uint32_t>(contest.entrants.size());
    std::vector<uint32_t> waiting;
    for (uint32_t a = 0; a < entrants; ++a) {
        if (MayBeOff(contest, a)) {
            waiting.push_back(a);
        }
    }
    bool corrected = false;
    std::vector<bool> correctedThisRound(entrants);
    while (!waiting.empty()) {
        std::vector<ClockEvidence> off;
        for (uint32_t a : waiting) {
            ClockEvidence evidence = Measure(contest, index, a);
            if (evidence.offset != 0) {
                off.push_back(std::move(evidence));
            }
        }
        if (off.empty()) {
            break;
        }
        std::stable_sort(off.begin(), off.end(),
                         [](const auto& x, const auto& y) { return x.agreeing > y.agreeing; });
        std::fill(correctedThisRound.begin(), correctedThisRound.end(), false);
        std::vector<uint32_t> next;
        for (const ClockEvidence& evidence : off) {
            const bool pairedWithCorrected =
                std::any_of(evidence.partners.begin(), evidence.partners.end(),
                            [&](uint32_t b) { return correctedThisRound[b]; });
            if (pairedWithCorrected) {
                next.push_back(evidence.entrant);
                continue;
            }
            Entrant& entrant = contest.entrants[evidence.entrant];
            entrant.clockOffsetMinutes = evidence.offset;
            for (CheckedLine& line : entrant.log.lines) {
                line.minute -= evidence.offset;
            }
            index.Resort(evidence.entrant, entrant.log.lines);
            correctedThisRound[evidence.entrant] = true;
            corrected = true;
        }
        std::sort(next.begin(), next.end());
        waiting = std::move(next);
    }
    return corrected;
}

}  // namespace zelk::adjudication
