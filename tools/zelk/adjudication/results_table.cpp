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
constexpr std::size_t kCostliestShown = 10;

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
    const std::string period = PeriodText(rules);
    return (period.empty() ? std::string() : "contest period " + period + ", ") + "time window " +
           Counted(rules.timeWindowMinutes, "minute", "minutes") + ", call distance " +
           std::to_string(rules.callDistance) + ", NIL penalty " +
           Counted(rules.nilPenalty, "QSO", "QSOs") + ", calls without a log credited from " +
           Counted(rules.minAppearances, "log", "logs");
}

namespace {

// One table: a heading, then a row per entrant (its place in `placeOf`).
class Table {
  public:
    explicit Table(const ContestCheck& contest) : m_contest(contest) {
        for (const Entrant& entrant : contest.entrants) {
            m_calls.push_back(Printable(entrant.log.call, kLongestShownCall));
            m_callWidth = std::max(m_callWidth, m_calls.back().size());
        }
    }

    std::string Heading() const {
        return "Place  " + Padded("Call", m_callWidth, false) +
               "  Checked  Claimed  QSOs claimed  QSOs credited  Error rate  Overall\n";
    }

    std::string Row(uint32_t e, uint32_t place) const {
        const Entrant& entrant = m_contest.entrants[e];
        return Padded(place == 0 ? "-" : std::to_string(place), 5, true) + "  " +
               Padded(m_calls[e], m_callWidth, false) + "  " +
               Padded(std::to_string(entrant.checkedScore), 7, true) + "  " +
               Padded(Claimed(entrant), 7, true) + "  " +
               Padded(std::to_string(entrant.QsosClaimed()), 12, true) + "  " +
               Padded(std::to_string(entrant.QsosCredited()), 13, true) + "  " +
               Padded(Percent(entrant.ErrorRate()), 10, true) + "  " +
               Padded(entrant.place == 0 ? "-" : std::to_string(entrant.place), 7, true) + "\n";
    }

  private:
    const ContestCheck& m_contest;
    std::vector<std::string> m_calls;
    std::size_t m_callWidth = 4;
};

// The organiser's review: the calls most worked without a log, the logs
// that cost others most, corrected clocks and what the headers say.
std::string Review(const ContestCheck& contest) {
    std::string text;
    if (!contest.missingLogs.empty()) {
        text += "\nMissing logs (calls without a log that " +
                std::to_string(kLeastLogsOfAMissingLog) + " or more logs hold):\n";
        for (const MissingLog& missing : contest.missingLogs) {
            text += "  " + Printable(missing.call, kLongestShownCall) + " in " +
                    Counted(missing.logs, "log", "logs") + "\n";
        }
    }
    std::vector<uint32_t> costly;
    for (uint32_t e = 0; e < contest.entrants.size(); ++e) {
        if (contest.entrants[e].causedNils > 0) {
            costly.push_back(e);
        }
    }
    std::stable_sort(costly.begin(), costly.end(), [&contest](uint32_t a, uint32_t b) {
        return contest.entrants[a].causedNils > contest.entrants[b].causedNils;
    });
    if (!costly.empty()) {
        text += "\nLogs that cost others most (the other logs' NILs against each):\n";
        for (std::size_t i = 0; i < std::min<std::size_t>(costly.size(), kCostliestShown); ++i) {
            const Entrant& entrant = contest.entrants[costly[i]];
            text += "  " + Printable(entrant.log.call, kLongestShownCall) + " " +
                    Counted(entrant.causedNils, "NIL", "NILs") + "\n";
        }
    }
    if (!contest.staleDecisions.empty()) {
        text += "\nDecisions that name no QSO line (not applied):\n";
        for (const StaleDecision& stale : contest.staleDecisions) {
            text +=
                Wrapped(Printable(stale.decision.source) + ": " + Printable(stale.decision.call) +
                            " line " + std::to_string(stale.decision.line) + ": " + stale.why,
                        2);
        }
    }
    bool named = false;
    for (const Entrant& entrant : contest.entrants) {
        if (entrant.clockOffsetMinutes != 0) {
            text += named ? "" : "\nClocks corrected (QSOs matched with the corrected times):\n";
            text += "  " + Printable(entrant.log.call, kLongestShownCall) + " " +
                    std::to_string(entrant.clockOffsetMinutes) + " minutes\n";
            named = true;
        }
    }
    named = false;
    for (const ClockTie& tie : contest.clockTies) {
        text += named ? "" : "\nClocks not corrected (which one was off cannot be told):\n";
        text += Wrapped(ClockTieText(contest, tie), 2);
        named = true;
    }
    named = false;
    for (const Entrant& entrant : contest.entrants) {
        for (const std::string& note : entrant.log.headerNotes) {
            text += named ? "" : "\nHeaders:\n";
            text += Wrapped(PrintableName(entrant.log.name) + ": " + note, 2);
            named = true;
        }
    }
    return text;
}

}  // namespace

std::string ResultsText(const ContestCheck& contest, const std::vector<UbnFile>& ubnFiles) {
    const Table table(contest);
    std::string text = std::string(kTitle) + "\n";
    for (const CategoryRanking& category : contest.categories) {
        text += "\n" + category.name + "\n" + table.Heading();
        for (uint32_t e : category.ranking) {
            text += table.Row(e, contest.entrants[e].categoryPlace);
        }
    }
    if (!contest.checkLogs.empty()) {
        text += "\nCheck logs (scored, not ranked)\n" + table.Heading();
        for (uint32_t e : contest.checkLogs) {
            text += table.Row(e, 0);
        }
    }
    std::size_t lines = 0;
    for (const Entrant& entrant : contest.entrants) {
        lines += entrant.log.lines.size();
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
            text += Wrapped(PrintableName(file.file) + ": " + file.reason, 2);
        }
    }
    bool named = false;
    for (const Entrant& entrant : contest.entrants) {
        if (entrant.log.callFromQsoLines) {
            text +=
                named ? "" : "\nCalls taken from the first QSO line (the log has no CALLSIGN:):\n";
            text +=
                "  " + PrintableName(entrant.log.name) + ": " + Printable(entrant.log.call) + "\n";
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
                                   : "\nLogs not used (another log of the same call is "
                                     "used):\n";
            text +=
                Wrapped(PrintableName(file.file) + ": " + SupersededReason(file, contest.rules) +
                            "; " + PrintableName(file.usedFile) + " is used",
                        2);
            named = true;
        }
    }
    named = false;
    for (const Entrant& entrant : contest.entrants) {
        if (MatchContest(entrant.log, contest.rules) == ContestMatch::kOther) {
            text += named ? "" : "\nLogs of another contest (CONTEST:), checked as this one's:\n";
            text += "  " + PrintableName(entrant.log.name) + ": " + Printable(entrant.log.call) +
                    ", CONTEST: " + Printable(entrant.log.contest) + "\n";
            named = true;
        }
    }
    named = false;
    for (std::size_t e = 0; e < ubnFiles.size(); ++e) {
        if (!ubnFiles[e].notWritten.empty()) {
            text += named ? "" : "\nCheck reports not written (the rest of the results stand):\n";
            // One line each, never broken: the organiser looks for the file's name.
            text += "  " + Printable(contest.entrants[e].log.call) + ": " + kUbnFolder + "/" +
                    ubnFiles[e].name + ": " + ubnFiles[e].notWritten + "\n";
            named = true;
        }
    }
    return text + Review(contest);
}

std::string ResultsCsv(const ContestCheck& contest) {
    std::string csv =
        "place,call,checked_score,claimed_score,qsos_claimed,qsos_credited,error_rate_percent,"
        "confirmed,partner_busted_call,no_log_credited,busted_exchange,busted_call,nil,unique,"
        "dupes,not_cw,x_qso,unreadable_lines,file,superseded_files,category_operator,"
        "category_band,category_power,category_transmitter,category_place,out_of_period,"
        "other_band,clock_offset_minutes,caused_nil,overridden,out_of_band\r\n";
    std::vector<uint32_t> rows = contest.ranking;
    rows.insert(rows.end(), contest.checkLogs.begin(), contest.checkLogs.end());
    for (uint32_t e : rows) {
        const Entrant& entrant = contest.entrants[e];
        std::string percent = Percent(entrant.ErrorRate());
        percent.pop_back();
        std::string superseded;
        for (const std::string& file : entrant.supersededFiles) {
            superseded += (superseded.empty() ? "" : " ") + file;
        }
        std::string row =
            (entrant.place == 0 ? std::string() : std::to_string(entrant.place)) + "," +
            CsvField(entrant.log.call) + "," + std::to_string(entrant.checkedScore) + "," +
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
        const LogCategory& category = entrant.log.category;
        for (const CategoryPart part : {CategoryPart::kOperator, CategoryPart::kBand,
                                        CategoryPart::kPower, CategoryPart::kTransmitter}) {
            row += "," + CsvField(category.Of(part));
        }
        row +=
            "," +
            (entrant.categoryPlace == 0 ? std::string() : std::to_string(entrant.categoryPlace)) +
            "," + std::to_string(entrant.Count(LineStatus::kOutOfPeriod)) + "," +
            std::to_string(entrant.Count(LineStatus::kOtherBand)) + "," +
            std::to_string(entrant.clockOffsetMinutes) + "," + std::to_string(entrant.causedNils) +
            "," + std::to_string(entrant.overridden) + "," +
            std::to_string(entrant.Count(LineStatus::kOutOfBand));
        csv += row + "\r\n";
    }
    return csv;
}

}  // namespace zelk::adjudication
