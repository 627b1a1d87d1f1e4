// zelk report: a log (ADIF or Cabrillo) as one self-contained HTML page
// (-o FILE: score table, map, rate sheet and chart, operating time, refused
// contacts) and as the plain summary a score site asks for (--summary). It
// scores the log with the core's own rules, without loading the plug-in, so
// a contest folder is needed only for the station coordinate it stores.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

#include "commands/command.h"

namespace zelk::host {

// What a score site is told when neither the log nor --category says more.
inline constexpr const char* kDefaultCategory = "SINGLE-OP ALL CW";

struct ReportOptions {
    LogOptions input;  // its folder is used only when `folderGiven`, else "." when it is one
    bool folderGiven = false;
    std::string date;  // YYYY-MM-DD; empty: the first contact's date
    std::optional<double> latitude;
    std::optional<double> longitude;
    std::string category;  // empty: the Cabrillo header's, else kDefaultCategory
    int minOffMinutes = 30;
    std::filesystem::path output;  // the HTML page; empty: none
    bool summary = false;
};

int RunReport(const ReportOptions& options, std::ostream& out, std::ostream& err);

}  // namespace zelk::host
