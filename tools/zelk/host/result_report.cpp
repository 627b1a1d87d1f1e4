// Reading the result report. Rows are read from their right end, because a
// group text may itself hold tabs or look like a number.
#include "host/result_report.h"

#include <charconv>
#include <cstdio>

namespace zelk::host {

namespace {

constexpr std::string_view kTitlePrefix = "\t\tZELK  Contest ";
constexpr std::string_view kContestantPrefix = "\t\t  Contestant: ";
constexpr std::string_view kColumnHeads = "\tQSOs\tPoints  Lat    Long    ZELK    Polar";
constexpr std::string_view kTotalGroup = "Total";
constexpr std::string_view kScorePrefix = "Score: ";

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t end = text.find("\r\n"); end != std::string_view::npos;
         end = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

bool ReadInt(std::string_view text, int& value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

// "group\t qsos\t points\tlat\tlong\tzelk\tpolar"
bool ReadRow(std::string_view line, ReportRow& row) {
    std::string_view values[6];
    std::string_view rest = line;
    for (int i = 5; i >= 0; --i) {
        const std::size_t tab = rest.rfind('\t');
        if (tab == std::string_view::npos) {
            return false;
        }
        values[i] = rest.substr(tab + 1);
        rest = rest.substr(0, tab);
    }
    for (int i : {0, 1}) {
        if (values[i].empty() || values[i][0] != ' ') {
            return false;
        }
        values[i].remove_prefix(1);
    }
    row.group = std::string(rest);
    return ReadInt(values[0], row.qsos) && ReadInt(values[1], row.points) &&
           ReadInt(values[2], row.lat) && ReadInt(values[3], row.lon) &&
           ReadInt(values[4], row.zelk) && ReadInt(values[5], row.polar);
}

}  // namespace

std::variant<ContestReport, std::string> ParseReport(std::string_view text) {
    const std::vector<std::string_view> lines = SplitLines(text);
    // Title (3 lines), rows, total, empty line, score.
    if (lines.size() < 6) {
        return "the report has " + std::to_string(lines.size()) + " lines, fewer than six";
    }
    ContestReport report;
    if (!lines[0].starts_with(kTitlePrefix)) {
        return std::string("the report's first line is not its title");
    }
    report.date = std::string(lines[0].substr(kTitlePrefix.size()));
    if (!lines[1].starts_with(kContestantPrefix) || !lines[1].ends_with(' ')) {
        return std::string("the report's second line does not name the contestant");
    }
    report.contestant = std::string(
        lines[1].substr(kContestantPrefix.size(), lines[1].size() - kContestantPrefix.size() - 1));
    if (lines[2] != kColumnHeads) {
        return std::string("the report's third line is not the column heads");
    }

    const std::size_t score = lines.size() - 1;
    const std::size_t total = lines.size() - 3;
    int parts[5];
    if (!lines[score].starts_with(kScorePrefix) || !lines[score - 1].empty() ||
        std::sscanf(std::string(lines[score]).c_str(), "Score: %d+%d+%d+%d+%d = %d", &parts[0],
                    &parts[1], &parts[2], &parts[3], &parts[4], &report.claimedScore) != 6) {
        return std::string("the report does not end with an empty line and the score line");
    }
    if (!ReadRow(lines[total], report.totals) || report.totals.group != kTotalGroup) {
        return std::string("the report has no total line before the score");
    }
    for (std::size_t i = 3; i < total; ++i) {
        ReportRow row;
        if (!ReadRow(lines[i], row)) {
            return "report line " + std::to_string(i + 1) + " is not a group row";
        }
        report.rows.push_back(std::move(row));
    }
    return report;
}

std::string ReportForPrinting(std::string_view text) {
    std::string printed;
    printed.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        printed += text[i];
    }
    return printed;
}

}  // namespace zelk::host
