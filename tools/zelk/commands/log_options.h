// The options by which commands read a log, and what zelk score and zelk
// report take from a log alike: the contest date (--date, else the first
// contact's) and the contestant (--call, else the log's own call).
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

#include "host/log_reading.h"

namespace zelk::commands {

// A log to score: the log itself, its folder, call and grouping, the contest
// date and the station's degrees.
struct ScoredLogOptions {
    host::LogOptions input;
    std::string date;  // YYYY-MM-DD; empty: the first contact's date
    std::optional<double> latitude;
    std::optional<double> longitude;
};

void AddLogOptions(CLI::App& command, host::LogOptions& options);
void AddScoredLogOptions(CLI::App& command, ScoredLogOptions& options);

// --date as a date, nullopt when it is not given; a message when it is no
// date. Read before the log, so a mistyped date stops the run at once.
host::Checked<std::optional<ZelkOleDateTime>> DateOption(const std::string& date);

// The date the contest is started with: the one given, else the first
// contact's (null when the log has none).
ZelkOleDateTime ContestDate(const std::optional<ZelkOleDateTime>& given,
                            const host::LogReading& reading);

// Why the distances have no origin: zelk report refuses with it, zelk score
// warns with it and scores from 0N0O, as the plug-in does.
inline constexpr const char* kNoStationCoordinate =
    "no station coordinate: the distances are measured from it. Give --lat and --lon, or -C "
    "with a contest folder that stores one (zelk init DIR --coordinate 55N37O)";

// Why a log without a contestant (host::Contestant is empty) is not scored.
inline constexpr const char* kNoOwnCall =
    "the log names no own call (STATION_CALLSIGN or OPERATOR); give --call";

}  // namespace zelk::commands
