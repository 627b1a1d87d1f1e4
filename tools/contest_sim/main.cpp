// zelk-contest-sim: makes a whole ZELK contest from a seed — every entrant's
// log file with faults of every kind in known numbers — and the truth the
// organiser's check must find (see simulator.h for the truth file).
#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>

#include "simulator.h"

namespace {

namespace fs = std::filesystem;
using zelk::sim::FaultCounts;
using zelk::sim::SimulatedContest;
using zelk::sim::SimulationParameters;

// An empty string when every file was written and dated, else why not.
std::string WriteContest(const SimulatedContest& contest, const fs::path& folder,
                         const fs::path& truthFile) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        return folder.string() + ": " + error.message();
    }
    if (!fs::is_empty(folder, error)) {
        return folder.string() + ": the folder is not empty (a contest folder holds one contest)";
    }
    auto write = [](const fs::path& path, std::string_view bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        return static_cast<bool>(out);
    };
    for (const zelk::sim::SubmittedFile& file : contest.files) {
        const fs::path path = folder / file.name;
        if (!write(path, file.bytes)) {
            return path.string() + ": cannot be written";
        }
        const std::chrono::sys_seconds time{std::chrono::seconds{file.modifiedTime}};
        fs::last_write_time(path, std::chrono::file_clock::from_sys(time), error);
        if (error) {
            return path.string() + ": cannot set its time: " + error.message();
        }
    }
    if (!write(truthFile, zelk::sim::TruthTsv(contest))) {
        return truthFile.string() + ": cannot be written";
    }
    return {};
}

bool Inside(const fs::path& path, const fs::path& folder) {
    const fs::path p = fs::weakly_canonical(fs::absolute(path));
    const fs::path f = fs::weakly_canonical(fs::absolute(folder));
    auto [folderEnd, pathAt] = std::mismatch(f.begin(), f.end(), p.begin(), p.end());
    return folderEnd == f.end();
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "Makes a whole ZELK contest from a seed: stations at coordinates, true contacts on "
        "several bands and every entrant's Cabrillo log, with busted calls, busted serials and "
        "coordinates, NILs, dupes, stations that send no log, X-QSO and phone lines, a file "
        "that is not Cabrillo and an entrant who sent two logs, in known numbers; with "
        "--organiser-rules (or each of its options) also contacts out of the contest period, "
        "categories of every kind, clocks that are off and logs of another contest; with "
        "--real-log-shapes (or each of its options) also lines that cannot be read, frequencies "
        "in no band, portable calls, near calls, stations without a log copied at other places, "
        "resubmissions without CONTEST:, a symmetric clock pair and Cabrillo 2.0 headers. Writes "
        "the logs into --out (dated: a newer log is newer on disk) and the status every QSO line "
        "must get, and each entrant's category, checked score and place, into --truth.",
        "zelk-contest-sim"};
    app.allow_windows_style_options(false);

    SimulationParameters p;
    fs::path out;
    fs::path truth;
    std::optional<int> faults;
    std::vector<double> bandsMHz = {3.5, 7, 14, 21, 28};
    std::string startDate = "2024-05-11";
    app.add_option("--seed", p.seed, "Seed: the same seed makes the same bytes")
        ->capture_default_str();
    app.add_option("--stations", p.stations, "Stations in the contest, with and without a log")
        ->capture_default_str();
    app.add_option("--logs", p.logs, "Stations whose Cabrillo log is read")->capture_default_str();
    app.add_option("--qsos", p.contactsPerStation, "Average QSO lines of one log")
        ->capture_default_str();
    app.add_option("--bands", bandsMHz, "Lower band edges in MHz")
        ->delimiter(',')
        ->capture_default_str();
    app.add_option("--start-date", startDate, "Contest start date YYYY-MM-DD (UTC)")
        ->capture_default_str();
    app.add_option("--start-hour", p.startHour, "Contest start hour (UTC)")->capture_default_str();
    app.add_option("--hours", p.lengthHours, "Contest length in hours")->capture_default_str();
    app.add_option("--time-window", p.timeWindowMinutes,
                   "Time window of the check, in minutes, that the truth is made for")
        ->capture_default_str();
    app.add_option("--min-appearances", p.minAppearances,
                   "Least appearances of a station without a log for its contacts to count, "
                   "that the truth is made for")
        ->capture_default_str();
    app.add_option("--nil-penalty", p.nilPenalty,
                   "Contacts' worth of points the check takes per NIL, that the checked scores "
                   "are made for")
        ->capture_default_str();
    app.add_option("--period-start", p.periodStartMinute,
                   "Start of the contest period in minutes after the contest's start")
        ->capture_default_str();
    app.add_option("--period-end", p.periodEndMinute,
                   "End of the contest period (the first minute after it) in minutes after the "
                   "contest's start [default: the end of the contest]");
    app.add_option(
           "--faults", faults,
           "Number of each fault kind from --busted-calls to --not-cw at once (each of those "
           "options overrides it)")
        ->check(CLI::NonNegativeNumber);
    FaultCounts& f = p.faults;
    struct Kind {
        const char* option;
        int FaultCounts::*count;
        const char* help;
    };
    const Kind kinds[] = {
        {"--busted-calls", &FaultCounts::bustedCalls, "Calls miscopied by one or two characters"},
        {"--busted-serials", &FaultCounts::bustedSerials, "Serial numbers miscopied"},
        {"--busted-coordinates", &FaultCounts::bustedCoordinates, "Coordinates miscopied"},
        {"--nils", &FaultCounts::nils, "Contacts missing from the partner's log"},
        {"--dupes", &FaultCounts::dupes, "Contacts repeated on a band and logged by both sides"},
        {"--one-sided-dupes", &FaultCounts::oneSidedDupes, "Repeats logged by one side only"},
        {"--unique-stations", &FaultCounts::uniqueStations,
         "Stations without a log that appear in fewer than --min-appearances logs"},
        {"--not-cabrillo", &FaultCounts::notCabrillo,
         "Files that are not Cabrillo (an ADIF export, then a binary file, in turn)"},
        {"--resubmissions", &FaultCounts::resubmissions,
         "Entrants who sent an older and a newer log"},
        {"--x-qsos", &FaultCounts::xQsos, "X-QSO: lines"},
        {"--not-cw", &FaultCounts::nonCwContacts, "Phone contacts, logged by both sides"},
    };
    const Kind rules[] = {
        {"--out-of-period", &FaultCounts::outOfPeriod,
         "Contacts before or after the period (both lines out_of_period)"},
        {"--one-side-out-of-period", &FaultCounts::oneSideOutOfPeriod,
         "Contacts across an edge of the period: one line out_of_period, the other confirmed"},
        {"--check-logs", &FaultCounts::checkLogs, "Entrants who send a check log (CHECKLOG)"},
        {"--single-band-entries", &FaultCounts::singleBandEntries,
         "Entrants of one band: their lines on other bands other_band"},
        {"--multi-op-entries", &FaultCounts::multiOpEntries,
         "Entrants MULTI-OP and MULTI-MULTI, in turn"},
        {"--qrp-entries", &FaultCounts::qrpEntries, "Entrants of QRP power"},
        {"--mixed-case-categories", &FaultCounts::mixedCaseCategories,
         "Logs that write their category in mixed case"},
        {"--missing-categories", &FaultCounts::missingCategories,
         "Logs without category lines (the defaults apply)"},
        {"--unknown-categories", &FaultCounts::unknownCategories,
         "Logs with a category value the check does not know"},
        {"--clocks-hour-off", &FaultCounts::clocksHourOff, "Logs whose clock is an hour off"},
        {"--clocks-minutes-off", &FaultCounts::clocksMinutesOff,
         "Logs whose clock is off by 2 to 15 minutes more than the time window"},
        {"--clocks-within-window", &FaultCounts::clocksWithinWindow,
         "Logs whose clock is off by less than the time window (not corrected)"},
        {"--other-contest-logs", &FaultCounts::otherContestLogs,
         "Entrants who also send a newer log of another contest"},
        {"--misnamed-logs", &FaultCounts::misnamedLogs,
         "Entrants whose only log names another contest but holds this contest's lines"},
    };
    const Kind shapes[] = {
        {"--unreadable-received", &FaultCounts::unreadableReceived,
         "Lines whose received coordinate lost a letter (unreadable; the partner's line judged)"},
        {"--unreadable-sent", &FaultCounts::unreadableSent,
         "Lines whose sent coordinate lost a letter (unreadable; the partner's copy not judged)"},
        {"--unreadable-x-qsos", &FaultCounts::unreadableXQsos,
         "X-QSO: lines that cannot be read (unreadable)"},
        {"--unreadable-times", &FaultCounts::unreadableTimes,
         "Lines whose time cannot be read (not even partly read: no truth row)"},
        {"--out-of-band", &FaultCounts::outOfBand,
         "Frequencies typed with a digit lost or added, in no band (out_of_band)"},
        {"--portable-calls", &FaultCounts::portableCalls,
         "Entrants whose every line sends CALL/P under CALLSIGN: CALL; one partner copies CALL"},
        {"--busted-call-exchanges", &FaultCounts::bustedCallExchanges,
         "Busted calls whose other side miscopied the exchange (busted_exchange)"},
        {"--no-log-dissents", &FaultCounts::noLogDissents,
         "Stations without a log that one log copied at another coordinate (busted_exchange)"},
        {"--no-log-splits", &FaultCounts::noLogSplits,
         "Stations without a log copied at two coordinates by equally many logs (credited)"},
        {"--near-call-claims", &FaultCounts::nearCallClaims,
         "Entrants one letter from a station without a log, claiming a QSO never logged (nil)"},
        {"--newer-without-contest", &FaultCounts::newerWithoutContest,
         "Entrants who sent an older log with CONTEST: ZELK and a newer one without CONTEST:"},
        {"--symmetric-clock-pairs", &FaultCounts::symmetricClockPairs,
         "Two logs that worked only each other, one clock an hour off outside the period"},
        {"--cabrillo2-headers", &FaultCounts::cabrillo2Headers,
         "Logs with a Cabrillo 2.0 CATEGORY: line, each of its categories in turn"},
    };
    using Given = std::vector<std::pair<CLI::Option*, int FaultCounts::*>>;
    auto addCounts = [&app, &f](const auto& list) {
        Given options;
        for (const Kind& kind : list) {
            options.emplace_back(app.add_option(kind.option, f.*kind.count, kind.help)
                                     ->check(CLI::NonNegativeNumber)
                                     ->capture_default_str(),
                                 kind.count);
        }
        return options;
    };
    const Given given = addCounts(kinds);
    bool organiserRules = false;
    app.add_flag("--organiser-rules", organiserRules,
                 "Each fault kind of the organiser's rules below in a small number (each option "
                 "below overrides it)");
    const Given givenRules = addCounts(rules);
    bool realLogShapes = false;
    app.add_flag("--real-log-shapes", realLogShapes,
                 "Each shape below that real logs hold in a small number (each option below "
                 "overrides it)");
    const Given givenShapes = addCounts(shapes);
    app.add_option("--out", out, "Folder for the logs (made when absent; must be empty)")
        ->required();
    app.add_option("--truth", truth, "Truth file (TSV), outside --out")->required();
    CLI11_PARSE(app, argc, argv);

    if (faults) {
        for (const auto& [option, count] : given) {
            if (option->count() == 0) {
                f.*count = *faults;
            }
        }
    }
    auto preset = [&f](const Given& given, const FaultCounts& counts) {
        for (const auto& [option, count] : given) {
            if (option->count() == 0) {
                f.*count = counts.*count;
            }
        }
    };
    if (organiserRules) {
        preset(givenRules, zelk::sim::WithOrganiserRules(FaultCounts{}));
    }
    if (realLogShapes) {
        preset(givenShapes, zelk::sim::WithRealLogShapes(FaultCounts{}));
    }
    p.bandsKHz.clear();
    for (double mhz : bandsMHz) {
        p.bandsKHz.push_back(static_cast<int>(mhz * 1000 + 0.5));
    }
    char dash1 = 0, dash2 = 0;
    std::istringstream date(startDate);
    if (!(date >> p.startYear >> dash1 >> p.startMonth >> dash2 >> p.startDay) || dash1 != '-' ||
        dash2 != '-') {
        std::cerr << "zelk-contest-sim: --start-date " << startDate << " is not YYYY-MM-DD\n";
        return 2;
    }
    if (Inside(truth, out)) {
        std::cerr << "zelk-contest-sim: the truth file must lie outside the contest folder\n";
        return 2;
    }
    if (const std::string why = zelk::sim::CheckParameters(p); !why.empty()) {
        std::cerr << "zelk-contest-sim: " << why << "\n";
        return 2;
    }

    // Wall and processor time: on a shared machine the second says more.
    const auto started = std::chrono::steady_clock::now();
    const std::clock_t startedCpu = std::clock();
    SimulatedContest contest;
    try {
        contest = zelk::sim::Simulate(p);
    } catch (const std::exception& e) {
        std::cerr << "zelk-contest-sim: " << e.what() << "\n";
        return 2;
    }
    const auto simulated = std::chrono::steady_clock::now();
    const double simulatedCpu = static_cast<double>(std::clock() - startedCpu) / CLOCKS_PER_SEC;
    if (const std::string why = WriteContest(contest, out, truth); !why.empty()) {
        std::cerr << "zelk-contest-sim: " << why << "\n";
        return 1;
    }
    const auto written = std::chrono::steady_clock::now();
    using Seconds = std::chrono::duration<double>;
    std::cout << contest.files.size() << " files, " << contest.truth.size()
              << " QSO lines in the logs read; simulated in "
              << Seconds(simulated - started).count() << " s (processor " << simulatedCpu
              << " s), written in " << Seconds(written - simulated).count() << " s\n";
    return 0;
}
