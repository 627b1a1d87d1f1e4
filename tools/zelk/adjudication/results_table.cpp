// results.txt and results.csv: the ranked table, the files that were not
// read or not used, and the rules the check applied.
#include <algorithm>
#include <cstdio>

#include "adjudication/output_folder.h"
#include "adjudication/report_text.h"
#include "adjudication/results_files.h"
#include "text/text.h"

namespace zelk::adjudication {

namespace {

constexpr std::string_view kTitle = "ZELK contest: checked results";
constexpr std::size_t kLongestShownCall = 20;

std::string Claimed(const Entrant& entrant) {
    return entrant.log.claimedScore ? std::to_string(*entrant.log.claimedScore) : "-";
}

std::string Padded(std::string_view text, std::size_t width, bool right) {
    const std::size_t fill = width > text.size() ? width - text.size() : 0;
    return right ? std::string(fill, ' ') + std::string(text)
                 : std::string(text) + std::string(fill, ' ');
}

// A CSV field of text from a log: quoted when it holds a comma, a quote or a
// line end. A spreadsheet takes a cell that starts with = + - or @ (or with
// a tab or a carriage return, which some strip first) as a formula, so a
// hostile CALLSIGN: could run one on the organiser's machine; such a cell
// gets a leading ', which makes the spreadsheet take it as text.
std::string CsvField(std::string_view text) {
    std::string field(text);
    if (!field.empty() &&
        std::string_view("=+-@\t\r").find(field.front()) != std::string_view::npos) {
        field.insert(0, 1, '\'');
    }
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
        return field;
    }
    std::string quoted = "\"";
    for (char c : field) {
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    return quoted + "\"";
}

}  // namespace

std::string RulesText(const CheckRules& rules) {
    return "time window " + Counted(rules.timeWindowMinutes, "minute", "minutes") +
           ", call distance " + std::to_string(rules.callDistance) + ", NIL penalty " +
           Counted(rules.nilPenalty, "QSO", "QSOs") + ", calls without a log credited from " +
           Counted(rules.minAppearances, "log", "logs");
}

std::string ResultsText(const ContestCheck& contest, const std::vector<UbnFile>& ubnFiles) {
    std::size_t callWidth = 4;
    std::vector<std::string> calls(contest.entrants.size());
    for (std::size_t i = 0; i < contest.entrants.size(); ++i) {
        calls[i] = Printable(contest.entrants[i].log.call, kLongestShownCall);
        callWidth = std::max(callWidth, calls[i].size());
    }
    std::string text = std::string(kTitle) + "\n\n";
    text += "Place  " + Padded("Call", callWidth, false) +
            "  Checked  Claimed  QSOs claimed  QSOs credited  Error rate\n";
    std::size_t lines = 0;
    for (uint32_t e : contest.ranking) {
        const Entrant& entrant = contest.entrants[e];
        lines += entrant.log.lines.size();
        text += Padded(std::to_string(entrant.place), 5, true) + "  " +
                Padded(calls[e], callWidth, false) + "  " +
                Padded(std::to_string(entrant.checkedScore), 7, true) + "  " +
                Padded(Claimed(entrant), 7, true) + "  " +
                Padded(std::to_string(entrant.QsosClaimed()), 12, true) + "  " +
                Padded(std::to_string(entrant.QsosCredited()), 13, true) + "  " +
                Padded(Percent(entrant.ErrorRate()), 10, true) + "\n";
    }
    text += "\n";
    text += Wrapped(Counted(contest.entrants.size(), "log", "logs") + " checked, holding " +
                        Counted(lines, "QSO line", "QSO lines") + ", of " +
                        Counted(contest.files, "file", "files") + " received.",
                    0);
    text += Wrapped(
        "Checked: the score of the credited QSOs by the contest's rules. Error rate: the "
        "share of the CW QSO lines (dupes aside) lost to a busted call or exchange, a NIL "
        "or a unique call. Each entrant's lines are explained in ubn/<CALL>.ubn.",
        0);
    text += Wrapped("Rules: " + RulesText(contest.rules) + ".", 0);
    if (!contest.notRead.empty()) {
        text += "\nFiles not read (no Cabrillo log):\n";
        for (const NotRead& file : contest.notRead) {
            text += Wrapped(Printable(file.file) + ": " + file.reason, 2);
        }
    }
    bool named = false;
    for (const Entrant& entrant : contest.entrants) {
        if (entrant.log.callFromQsoLines) {
            text +=
                named ? "" : "\nCalls taken from the first QSO line (the log has no CALLSIGN:):\n";
            text += "  " + Printable(entrant.log.name) + ": " + Printable(entrant.log.call) + "\n";
            named = true;
        }
    }
    if (!contest.superseded.empty()) {
        text += "\nLogs not used (a newer log of the same call was received):\n";
        for (const Superseded& file : contest.superseded) {
            text += Wrapped(Printable(file.file) + ": an older log of " + Printable(file.call) +
                                "; " + Printable(file.usedFile) + " is used",
                            2);
        }
    }
    named = false;
    for (std::size_t e = 0; e < ubnFiles.size(); ++e) {
        if (!ubnFiles[e].notWritten.empty()) {
            text += named ? "" : "\nCheck reports not written (the rest of the results stand):\n";
            text += Wrapped(Printable(contest.entrants[e].log.call) + ": " + kUbnFolder + "/" +
                                ubnFiles[e].name + ": " + ubnFiles[e].notWritten,
                            2);
            named = true;
        }
    }
    return text;
}

std::string ResultsCsv(const ContestCheck& contest) {
    std::string csv =
        "place,call,checked_score,claimed_score,qsos_claimed,qsos_credited,error_rate_percent,"
        "confirmed,partner_busted_call,no_log_credited,busted_exchange,busted_call,nil,unique,"
        "dupes,not_cw,x_qso,unreadable_lines,file,superseded_files\r\n";
    for (uint32_t e : contest.ranking) {
        const Entrant& entrant = contest.entrants[e];
        std::string percent = Percent(entrant.ErrorRate());
        percent.pop_back();
        std::string superseded;
        for (const std::string& file : entrant.supersededFiles) {
            superseded += (superseded.empty() ? "" : " ") + file;
        }
        std::string row =
            std::to_string(entrant.place) + "," + CsvField(entrant.log.call) + "," +
            std::to_string(entrant.checkedScore) + "," +
            (entrant.log.claimedScore ? std::to_string(*entrant.log.claimedScore) : std::string()) +
            "," + std::to_string(entrant.QsosClaimed()) + "," +
            std::to_string(entrant.QsosCredited()) + "," + percent;
        for (LineStatus status :
             {LineStatus::kConfirmed, LineStatus::kPartnerBustedCall, LineStatus::kNoLogCredited,
              LineStatus::kBustedExchange, LineStatus::kBustedCall, LineStatus::kNil,
              LineStatus::kUnique, LineStatus::kDupe, LineStatus::kNotCw, LineStatus::kXQso}) {
            row += "," + std::to_string(entrant.Count(status));
        }
        row += "," + std::to_string(entrant.log.unreadable.size()) + "," +
               CsvField(entrant.log.name) + "," + CsvField(superseded);
        csv += row + "\r\n";
    }
    return csv;
}

}  // namespace zelk::adjudication
