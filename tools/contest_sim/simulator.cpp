// The contest simulator: the parameters, and the contest put together.
#include "simulator.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_map>

#include "amateur_bands.h"
#include "clock_pairs.h"
#include "contest_builder.h"
#include "contest_clock.h"
#include "contest_files.h"
#include "entrant_setup.h"
#include "entrant_truth.h"

namespace zelk::sim {
namespace {

constexpr int kMaxStations = 200000;
constexpr int kMaxNilPenalty = 1000;

bool IsDate(int year, int month, int day) {
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1970 || year > 9999 || month < 1 || month > 12 || day < 1) {
        return false;
    }
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    return day <= kDays[month - 1] && (month != 2 || day <= 28 || leap);
}

}  // namespace

std::string CheckParameters(const SimulationParameters& p) {
    const FaultCounts& f = p.faults;
    for (int count : {f.bustedCalls,
                      f.bustedSerials,
                      f.bustedCoordinates,
                      f.nils,
                      f.dupes,
                      f.oneSidedDupes,
                      f.uniqueStations,
                      f.notCabrillo,
                      f.resubmissions,
                      f.xQsos,
                      f.nonCwContacts,
                      f.outOfPeriod,
                      f.oneSideOutOfPeriod,
                      f.checkLogs,
                      f.singleBandEntries,
                      f.multiOpEntries,
                      f.qrpEntries,
                      f.mixedCaseCategories,
                      f.missingCategories,
                      f.unknownCategories,
                      f.clocksHourOff,
                      f.clocksMinutesOff,
                      f.clocksWithinWindow,
                      f.otherContestLogs,
                      f.misnamedLogs,
                      f.unreadableReceived,
                      f.unreadableSent,
                      f.unreadableXQsos,
                      f.unreadableTimes,
                      f.outOfBand,
                      f.portableCalls,
                      f.bustedCallExchanges,
                      f.noLogDissents,
                      f.noLogSplits,
                      f.nearCallClaims,
                      f.newerWithoutContest,
                      f.symmetricClockPairs,
                      f.cabrillo2Headers}) {
        if (count < 0) {
            return "a fault count is negative";
        }
    }
    if (p.stations < 2 || p.stations > kMaxStations) {
        return "the number of stations must be 2 to " + std::to_string(kMaxStations);
    }
    if (p.logs < 2 || p.logs > p.stations) {
        return "the number of logs must be 2 to the number of stations";
    }
    if (p.stations - p.logs <
        f.uniqueStations + f.notCabrillo + f.noLogSplits + f.nearCallClaims + f.noLogDissents) {
        return "the stations without a log (" + std::to_string(p.stations - p.logs) +
               ") must include the few-times-worked ones, the senders of files that are not "
               "Cabrillo, and one each for the splits, near calls and dissents";
    }
    // A call in one log only (a portable station's bare call as one partner
    // copied it) must not stand as a station without a log.
    if (p.minAppearances < 1 ||
        ((f.uniqueStations > 0 || f.portableCalls > 0) && p.minAppearances < 2)) {
        return "min-appearances must be 1 or more, 2 or more with unique stations or portable "
               "calls";
    }
    const int twoLogs = TwoLogEntrants(f);
    if (p.logs - twoLogs < std::max(2, p.minAppearances) || twoLogs >= p.logs) {
        return "the entrants who send one log must be at least 2 and at least min-appearances";
    }
    if (f.symmetricClockPairs > 0 &&
        (p.bandsKHz.size() < std::size_t{kLeastClockPairs} || p.timeWindowMinutes >= 59)) {
        return "a symmetric clock pair works once on each band: it needs " +
               std::to_string(kLeastClockPairs) + " bands or more, and a window under 59 minutes";
    }
    if (p.bandsKHz.empty() || p.bandsKHz.size() > 64) {
        return "give 1 to 64 bands";
    }
    for (int band : p.bandsKHz) {
        if (band < 1000 || band > 1000000 ||
            std::count(p.bandsKHz.begin(), p.bandsKHz.end(), band) > 1) {
            return "each band is a distinct lower edge of 1000 to 1000000 kHz";
        }
        // The check's band is the amateur band: two of ours in one would be
        // one band to it, and contacts beyond its edge out of band.
        const AmateurBand* amateur = AmateurBandOf(band);
        const bool shared = std::any_of(p.bandsKHz.begin(), p.bandsKHz.end(), [&](int other) {
            return other != band && AmateurBandOf(other) == amateur;
        });
        if (amateur == nullptr || shared || band + kCwSegmentKHz > amateur->highKHz) {
            return "each band must lie in an amateur band of its own, its lowest " +
                   std::to_string(kCwSegmentKHz) + " kHz inside it";
        }
    }
    const int active = p.stations - f.uniqueStations;
    if (p.contactsPerStation < 1 ||
        int64_t{p.contactsPerStation} * 2 > int64_t{active - 1} * int64_t(p.bandsKHz.size())) {
        return "the contacts per station must be 1 or more and at most half of what the "
               "stations and bands allow";
    }
    if (!IsDate(p.startYear, p.startMonth, p.startDay) || p.startHour < 0 || p.startHour > 23) {
        return "the start is no date and hour from 1970 on";
    }
    if (p.timeWindowMinutes < 1 || p.timeWindowMinutes > 60) {
        return "the time window must be 1 to 60 minutes";
    }
    if (p.lengthHours < 2 || p.lengthHours > 168) {
        return "the contest must last 2 to 168 hours";
    }
    const int end = PeriodEnd(p);
    if (p.periodStartMinute < 0 || end > p.lengthHours * 60 ||
        (end - p.periodStartMinute) - 2 * ClockError(p) <
            2 * ShortestRepeatGap(p) + kMaxRepeatDelay) {
        return "the period must lie within the contest and leave room for repeats after "
               "contacts";
    }
    if (p.nilPenalty < 0 || p.nilPenalty > kMaxNilPenalty) {
        return "the NIL penalty must be 0 to " + std::to_string(kMaxNilPenalty);
    }
    return CheckEntrantRoles(p);
}

int PeriodEnd(const SimulationParameters& p) {
    return p.periodEndMinute.value_or(p.lengthHours * 60);
}

FaultCounts WithOrganiserRules(FaultCounts f) {
    f.outOfPeriod = 2;
    f.oneSideOutOfPeriod = 2;
    f.checkLogs = 1;
    f.singleBandEntries = 2;
    f.multiOpEntries = 2;
    f.qrpEntries = 1;
    f.mixedCaseCategories = 2;
    f.missingCategories = 1;
    f.unknownCategories = 1;
    f.clocksHourOff = 1;
    f.clocksMinutesOff = 1;
    f.clocksWithinWindow = 1;
    f.otherContestLogs = 2;
    f.misnamedLogs = 1;
    return f;
}

FaultCounts WithRealLogShapes(FaultCounts f) {
    f.unreadableReceived = 2;
    f.unreadableSent = 2;
    f.unreadableXQsos = 1;
    f.unreadableTimes = 1;
    f.outOfBand = 2;
    f.portableCalls = 1;
    f.bustedCallExchanges = 1;
    f.noLogDissents = 1;
    f.noLogSplits = 1;
    f.nearCallClaims = 1;
    f.newerWithoutContest = 1;
    f.symmetricClockPairs = 1;
    f.cabrillo2Headers = 3;
    return f;
}

SimulationParameters WithOrganiserRules(uint64_t seed) {
    SimulationParameters p;
    p.seed = seed;
    p.faults = WithOrganiserRules(p.faults);
    return p;
}

SimulatedContest Simulate(const SimulationParameters& parameters) {
    if (const std::string why = CheckParameters(parameters); !why.empty()) {
        throw std::invalid_argument(why);
    }
    Model model;
    model.parameters = parameters;
    model.periodStart = parameters.periodStartMinute;
    model.periodEnd = PeriodEnd(parameters);
    Random random(parameters.seed);
    BuildContest(model, random);
    std::vector<PendingFile> pending = WriteFiles(model, random);

    std::vector<EntrantTruth> entrants = FindEntrantTruths(model);

    SimulatedContest contest;
    contest.parameters = parameters;
    const ContestClock clock(parameters);
    contest.periodStartMinute = clock.UnixMinute(model.periodStart);
    contest.periodEndMinute = clock.UnixMinute(model.periodEnd);
    for (uint32_t s = 0; s < model.stations.size(); ++s) {
        contest.stations.push_back(
            {model.stations[s].call, model.stations[s].coordinate, s < model.entrants});
    }
    std::sort(pending.begin(), pending.end(),
              [](const PendingFile& a, const PendingFile& b) { return a.file.name < b.file.name; });
    std::size_t lines = 0;
    for (const PendingFile& p : pending) {
        lines += p.truth.size();
    }
    contest.truth.reserve(lines);
    std::unordered_map<std::string, uint32_t> entrantOfCall;
    for (uint32_t e = 0; e < model.entrants; ++e) {
        entrantOfCall.emplace(model.HeaderCall(e), e);
    }
    for (PendingFile& p : pending) {
        const uint32_t index = static_cast<uint32_t>(contest.files.size());
        if (p.file.status == FileStatus::Read) {
            for (TruthLine& line : p.truth) {
                line.file = index;
                contest.truth.push_back(std::move(line));
            }
            EntrantTruth& entrant = entrants[entrantOfCall.at(p.file.call)];
            entrant.file = index;
            contest.entrants.push_back(std::move(entrant));
        }
        contest.files.push_back(std::move(p.file));
    }
    return contest;
}

}  // namespace zelk::sim
