// results.txt and results.csv: the ranked table, the files that were not
// read or not used, and the rules the check applied.
#include <algorithm>
#include <cstdio>

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

// A CSV field: quoted when it holds a comma, a quote or a line end.
std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string quoted = "\"";
    for (char c : text) {
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

std::string ResultsText(const ContestCheck& contest) {
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
    for (const bool otherContest : {false, true}) {
        named = false;
        for (const Superseded& file : contest.superseded) {
            if (file.contest.empty() == otherContest) {
                continue;
            }
            text += named          ? ""
                    : otherContest ? "\nLogs not used (a log of this contest of the same call "
                                     "was received):\n"
                                   : "\nLogs not used (a newer log of the same call was "
                                     "received):\n";
            text += Wrapped(Printable(file.file) + ": " + SupersededReason(file, contest.rules) +
                                "; " + Printable(file.usedFile) + " is used",
                            2);
            named = true;
        }
    }
    named = false;
    for (const Entrant& entrant : contest.entrants) {
        if (MatchContest(entrant.log, contest.rules) == ContestMatch::kOther) {
            text += named ? "" : "\nLogs of another contest (CONTEST:), checked as this one's:\n";
            text += "  " + Printable(entrant.log.name) + ": " + Printable(entrant.log.call) +
                    ", CONTEST: " + Printable(entrant.log.contest) + "\n";
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
