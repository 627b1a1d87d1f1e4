// The contest simulator: the parameters, and the contest put together.
#include "simulator.h"

#include <algorithm>
#include <stdexcept>

#include "contest_builder.h"
#include "contest_files.h"

namespace zelk::sim {
namespace {

constexpr int kMaxStations = 200000;

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
    for (int count :
         {f.bustedCalls, f.bustedSerials, f.bustedCoordinates, f.nils, f.dupes, f.oneSidedDupes,
          f.uniqueStations, f.notCabrillo, f.resubmissions, f.xQsos, f.nonCwContacts}) {
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
    if (p.stations - p.logs < f.uniqueStations + f.notCabrillo) {
        return "the stations without a log (" + std::to_string(p.stations - p.logs) +
               ") must include the few-times-worked ones and the senders of files that are not "
               "Cabrillo";
    }
    if (p.minAppearances < 1 || (f.uniqueStations > 0 && p.minAppearances < 2)) {
        return "min-appearances must be 1 or more, 2 or more with unique stations";
    }
    if (p.logs - f.resubmissions < std::max(2, p.minAppearances) || f.resubmissions >= p.logs) {
        return "the entrants who send one log must be at least 2 and at least min-appearances";
    }
    if (p.bandsKHz.empty() || p.bandsKHz.size() > 64) {
        return "give 1 to 64 bands";
    }
    for (int band : p.bandsKHz) {
        if (band < 1000 || band > 1000000 ||
            std::count(p.bandsKHz.begin(), p.bandsKHz.end(), band) > 1) {
            return "each band is a distinct lower edge of 1000 to 1000000 kHz";
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
    if (p.lengthHours < 2 || p.lengthHours > 168 ||
        p.lengthHours * 60 - 2 * ClockError(p) < 2 * ShortestRepeatGap(p) + kMaxRepeatDelay) {
        return "the contest must last 2 to 168 hours and leave room for repeats after contacts";
    }
    return {};
}

SimulatedContest Simulate(const SimulationParameters& parameters) {
    if (const std::string why = CheckParameters(parameters); !why.empty()) {
        throw std::invalid_argument(why);
    }
    Model model;
    model.parameters = parameters;
    Random random(parameters.seed);
    BuildContest(model, random);
    std::vector<PendingFile> pending = WriteFiles(model, random);

    SimulatedContest contest;
    contest.parameters = parameters;
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
    for (PendingFile& p : pending) {
        const uint32_t index = static_cast<uint32_t>(contest.files.size());
        if (p.file.status == FileStatus::Read) {
            for (TruthLine& line : p.truth) {
                line.file = index;
                contest.truth.push_back(std::move(line));
            }
        }
        contest.files.push_back(std::move(p.file));
    }
    return contest;
}

}  // namespace zelk::sim
