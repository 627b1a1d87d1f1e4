// `zelk report`'s model of a log: the contacts as the plug-in would take
// them, by the core's own rules rather than a copy: intake refuses what it
// refuses (each listed as the error file lines it), the log drops a contact
// whose record equals one it holds, and ScoreContacts scores what is kept
// from the station the plug-in would use. So the report shows the numbers
// `zelk score` prints for the same log and contest folder.
#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "host/contact.h"
#include "report_html/report_model.h"

namespace zelk::report_scoring {

struct LogReportSettings {
    std::string contestant;
    std::string category;
    std::string storedCoordinate;  // the contest folder's; empty when none
    double latitude = 0.0;         // the fallback degrees ResetStats0 would get
    double longitude = 0.0;
    ZelkOleDateTime contestDate{0.0, kZelkDateTimeNull};
    int minOffMinutes = 30;
};

struct LogReport {
    report_html::ReportModel model;  // its contacts are the ones the log keeps
    std::size_t admitted = 0;        // intake took them, duplicates included
    std::size_t refused = 0;
    std::size_t duplicates = 0;
};

LogReport BuildLogReport(std::span<const host::Contact> contacts,
                         const LogReportSettings& settings);

}  // namespace zelk::report_scoring
