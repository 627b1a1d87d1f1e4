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
// is measured again against the corrected times. Where the evidence is
// symmetric (two logs with as many agreeing pairs, paired with each other,
// off by opposite differences: they worked only each other), it cannot tell
// which clock is off; the contest period may: when one log's lines with the
// other lie outside it and the other's do not, that log is the one off.
// When the period cannot tell either, neither is corrected, and the results
// say so. Where a clock was corrected, the pairing is made again with the
// corrected times.
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
        if (!candidate.unreadable && candidate.ownCall == line.call &&
            SameExchanges(line, candidate) &&
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
        const uint32_t b = contest.SenderOf(line.call);
        if (b == ContestCheck::kNoEntrant || b == a || line.band == logfile::kNoBand ||
            line.unreadable) {
            continue;
        }
        if (const CheckedLine* nearest = NearestAlike(line, contest.entrants[b].log.lines,
                                                      index.Find(b, line.ownCall, line.band))) {
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
        const uint32_t b = contest.SenderOf(line.call);
        if (b != ContestCheck::kNoEntrant && b != a && line.band != logfile::kNoBand) {
            ++withEntrants;
            unpaired += line.match == kNoLine ? 1 : 0;
        }
    }
    return unpaired * 5 >= kLeastPairs * 4 && unpaired * 5 >= withEntrants * 2;
}

// Of the logs found off after off[i], one whose evidence mirrors off[i]'s:
// as many agreeing pairs, paired with each other, off by the opposite
// difference. Either clock may then be the one that was off.
const ClockEvidence* SymmetricRival(const std::vector<ClockEvidence>& off, std::size_t i) {
    const ClockEvidence& x = off[i];
    for (std::size_t j = i + 1; j < off.size() && off[j].agreeing == x.agreeing; ++j) {
        const ClockEvidence& y = off[j];
        const bool mutual =
            std::find(x.partners.begin(), x.partners.end(), y.entrant) != x.partners.end() &&
            std::find(y.partners.begin(), y.partners.end(), x.entrant) != y.partners.end();
        if (mutual && std::llabs(x.offset + y.offset) <= 1) {
            return &y;
        }
    }
    return nullptr;
}

// How many of entrant a's lines with entrant b lie outside the contest
// period, by a's clock as it stands.
std::size_t LinesOutsidePeriod(const ContestCheck& contest, uint32_t a, uint32_t b) {
    const CheckRules& rules = contest.rules;
    if (!rules.start && !rules.end) {
        return 0;
    }
    return static_cast<std::size_t>(
        std::count_if(contest.entrants[a].log.lines.begin(), contest.entrants[a].log.lines.end(),
                      [&](const CheckedLine& line) {
                          return contest.SenderOf(line.call) == b &&
                                 ((rules.start && line.minute < *rules.start) ||
                                  (rules.end && line.minute >= *rules.end));
                      }));
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
    std::vector<bool> tied(entrants);
    auto correct = [&](const ClockEvidence& evidence) {
        Entrant& entrant = contest.entrants[evidence.entrant];
        entrant.clockOffsetMinutes = evidence.offset;
        for (CheckedLine& line : entrant.log.lines) {
            line.minute -= evidence.offset;
        }
        index.Resort(evidence.entrant, entrant.log.lines);
        correctedThisRound[evidence.entrant] = true;
        corrected = true;
    };
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
        for (std::size_t i = 0; i < off.size(); ++i) {
            const ClockEvidence& evidence = off[i];
            if (tied[evidence.entrant] || correctedThisRound[evidence.entrant]) {
                continue;  // decided with its rival
            }
            const bool pairedWithCorrected =
                std::any_of(evidence.partners.begin(), evidence.partners.end(),
                            [&](uint32_t b) { return correctedThisRound[b]; });
            if (pairedWithCorrected) {
                next.push_back(evidence.entrant);
                continue;
            }
            const ClockEvidence* rival = SymmetricRival(off, i);
            if (rival == nullptr) {
                correct(evidence);
                continue;
            }
            // The evidence cannot tell which of the two clocks is off: the
            // contest period may.
            const std::size_t outside =
                LinesOutsidePeriod(contest, evidence.entrant, rival->entrant);
            const std::size_t rivalOutside =
                LinesOutsidePeriod(contest, rival->entrant, evidence.entrant);
            if (outside != 0 && rivalOutside == 0) {
                correct(evidence);
            } else if (rivalOutside != 0 && outside == 0) {
                correct(*rival);
                next.push_back(evidence.entrant);
            } else {
                tied[evidence.entrant] = true;
                tied[rival->entrant] = true;
                const auto [first, second] = std::minmax(evidence.entrant, rival->entrant);
                contest.clockTies.push_back(
                    {first, second, first == evidence.entrant ? evidence.offset : rival->offset});
            }
        }
        std::sort(next.begin(), next.end());
        next.erase(std::unique(next.begin(), next.end()), next.end());
        waiting = std::move(next);
    }
    std::sort(contest.clockTies.begin(), contest.clockTies.end(),
              [](const ClockTie& x, const ClockTie& y) { return x.first < y.first; });
    return corrected;
}

}  // namespace zelk::adjudication
