// Summary line and JSON of a `zelk score` run.
#include "commands/score_output.h"

#include <cstdio>

namespace zelk::commands {

namespace {

std::string Plural(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

bool IsUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80           ? 1
                             : (lead >> 5) == 0x6  ? 2
                             : (lead >> 4) == 0xE  ? 3
                             : (lead >> 3) == 0x1E ? 4
                                                   : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

std::string RowJson(const host::ReportRow& row, bool withGroup) {
    std::string json = "{";
    if (withGroup) {
        json += "\"group\": " + JsonString(row.group) + ", ";
    }
    json += "\"qsos\": " + std::to_string(row.qsos) +
            ", \"points\": " + std::to_string(row.points) +
            ", \"lat\": " + std::to_string(row.lat) + ", \"long\": " + std::to_string(row.lon) +
            ", \"zelk\": " + std::to_string(row.zelk) +
            ", \"polar\": " + std::to_string(row.polar) + "}";
    return json;
}

}  // namespace

std::string SummaryLine(const ScoreOutcome& outcome) {
    const ContactCounts& c = outcome.counts;
    std::string line = Plural(c.read, "contact", "contacts") +
                       " read: " + std::to_string(c.admitted) + " admitted, " +
                       std::to_string(c.refused) + " refused (see " + outcome.errorFile.string() +
                       "), " + Plural(c.duplicates, "duplicate", "duplicates");
    if (c.skipped > 0) {
        line += ", " + std::to_string(c.skipped) + " skipped";
    }
    if (outcome.cabrilloFile) {
        line += "; Cabrillo file " + outcome.cabrilloFile->string() + " written";
    }
    return line;
}

std::string WithLineEnd(std::string_view text) {
    std::string ended(text);
    if (!ended.empty() && ended.back() != '\n') {
        ended += '\n';
    }
    return ended;
}

std::string TextOutput(std::string_view printedReport, const ScoreOutcome& outcome) {
    return WithLineEnd(printedReport) + SummaryLine(outcome) + '\n';
}

std::string JsonString(std::string_view text) {
    const bool utf8 = IsUtf8(text);
    std::string json = "\"";
    for (char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            json += '\\';
            json += ch;
        } else if (byte < 0x20 || (!utf8 && byte >= 0x80)) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            json += escaped;
        } else {
            json += ch;
        }
    }
    return json + "\"";
}

std::string ToJson(const ScoreOutcome& outcome) {
    const host::ContestReport& report = outcome.report;
    std::string json = "{\n  \"contest\": \"ZELK\",\n  \"date\": " + JsonString(report.date) +
                       ",\n  \"contestant\": " + JsonString(report.contestant) + ",\n  \"rows\": [";
    for (std::size_t i = 0; i < report.rows.size(); ++i) {
        json += (i == 0 ? "\n    " : ",\n    ") + RowJson(report.rows[i], true);
    }
    json += report.rows.empty() ? "],\n" : "\n  ],\n";
    json += "  \"totals\": " + RowJson(report.totals, false) + ",\n";
    json += "  \"claimed_score\": " + std::to_string(report.claimedScore) + ",\n";
    const ContactCounts& c = outcome.counts;
    json += "  \"contacts\": {\"read\": " + std::to_string(c.read) +
            ", \"admitted\": " + std::to_string(c.admitted) +
            ", \"refused\": " + std::to_string(c.refused) +
            ", \"duplicates\": " + std::to_string(c.duplicates) +
            ", \"skipped\": " + std::to_string(c.skipped) + "},\n";
    json += "  \"error_file\": " + JsonString(outcome.errorFile.string()) + ",\n";
    json += "  \"cabrillo_file\": " +
            (outcome.cabrilloFile ? JsonString(outcome.cabrilloFile->string()) : "null") + "\n}\n";
    return json;
}

}  // namespace zelk::commands
