// ubn/<CALL>.ubn: one entrant's check report, as organisers send them. A
// summary of the log's lines, then every line that was not credited or was
// credited without confirmation, in the order of the log, each with the
// reason in words and the line of the other log that decided it; then the
// lines that could not be read.
#include <algorithm>
#include <cstdlib>

#include "adjudication/line_explanation.h"
#include "adjudication/report_text.h"
#include "adjudication/results_files.h"
#include "logfile/sent_coordinate.h"
#include "text/text.h"

namespace zelk::adjudication {

namespace {

// The adjudicator's reason is shown whole; a CSV line is no essay.
constexpr std::size_t kLongestReason = 2000;

struct StatusWords {
    LineStatus status;
    std::string_view one;
    std::string_view many;
};

constexpr StatusWords kNotCredited[] = {
    {LineStatus::kBustedExchange, "busted exchange", "busted exchanges"},
    {LineStatus::kBustedCall, "busted call", "busted calls"},
    {LineStatus::kNil, "not in log (NIL)", "not in log (NIL)"},
    {LineStatus::kUnique, "unique call", "unique calls"},
    {LineStatus::kDupe, "dupe", "dupes"},
    {LineStatus::kOutOfPeriod, "out of the contest period", "out of the contest period"},
    {LineStatus::kOutOfBand, "frequency in no band", "frequencies in no band"},
    {LineStatus::kOtherBand, "on another band than the entry's", "on other bands than the entry's"},
    {LineStatus::kNotCw, "not in CW", "not in CW"},
};

class UbnWriter {
  public:
    UbnWriter(const ContestCheck& contest, const Entrant& entrant)
        : m_contest(contest), m_entrant(entrant), m_why(contest, entrant) {}

    std::string Report() {
        Summary();
        Lines();
        Unreadable();
        return m_text;
    }

  private:
    void Row(std::string_view label, const std::string& value) {
        std::string row = "  " + std::string(label);
        row.resize(std::max<std::size_t>(row.size() + 1, 22), ' ');
        m_text += row + value + "\n";
    }

    void Summary() {
        const Entrant& e = m_entrant;
        const LogFile& log = e.log;
        m_text += "ZELK contest: check report of " + Shown(log.call) + "\n\n";
        if (e.clockOffsetMinutes != 0) {
            m_text +=
                Wrapped("Your log's clock was off by " + ClockOffsetText(e.clockOffsetMinutes) +
                            ": its QSOs were matched with their times corrected by that.",
                        0) +
                "\n";
        }
        for (const ClockTie& tie : m_contest.clockTies) {
            if (&m_contest.entrants[tie.first] == &e || &m_contest.entrants[tie.second] == &e) {
                m_text += Wrapped(ClockTieText(m_contest, tie) + ".", 0) + "\n";
            }
        }
        Row("Log", PrintableName(log.name));
        for (const std::string& older : e.supersededFiles) {
            for (const Superseded& file : m_contest.superseded) {
                if (file.file == older && file.usedFile == log.name) {
                    Row("Not used", PrintableName(older) + " (" +
                                        SupersededReason(file, m_contest.rules) + ")");
                }
            }
        }
        if (MatchContest(log, m_contest.rules) == ContestMatch::kOther) {
            Row("Contest", Shown(log.contest) + ", not " + Shown(m_contest.rules.contest) +
                               ": checked as " + Shown(m_contest.rules.contest) + "'s log");
        }
        if (log.callFromQsoLines) {
            Row("Call", "taken from the QSO lines: the log has no CALLSIGN: line");
        }
        Row("Station", log.stationCoordinate.empty() ? std::string("-")
                                                     : log.stationCoordinate + " (as sent)");
        Row("Claimed score", log.claimedScore ? std::to_string(*log.claimedScore) : "-");
        std::string checked = std::to_string(e.checkedScore);
        if (e.checked.claimedScore != e.checkedScore) {
            checked += " (" + std::to_string(e.checked.claimedScore) + " less the NIL penalty)";
        }
        Row("Checked score", checked);
        const LogCategory& category = log.category;
        Row("Category",
            category.RankedName() + ", transmitter " + category.Of(CategoryPart::kTransmitter));
        if (category.IsCheckLog()) {
            Row("Place", "none: a check log confirms the others' QSOs and is not ranked");
        } else {
            Row("Place",
                std::to_string(e.place) + " of " + std::to_string(m_contest.ranking.size()) + "; " +
                    std::to_string(e.categoryPlace) + " of " +
                    std::to_string(CategorySize(category)) + " in " + Shown(category.RankedName()));
        }
        Row("QSO lines", std::to_string(e.QsosClaimed()) + " claimed, " +
                             std::to_string(e.QsosCredited()) + " credited");
        Row("  confirmed", std::to_string(e.Count(LineStatus::kConfirmed)));
        const uint32_t unconfirmed =
            e.Count(LineStatus::kPartnerBustedCall) + e.Count(LineStatus::kNoLogCredited);
        Row("  unconfirmed", std::to_string(unconfirmed) + " credited without confirmation");
        std::string lost;
        for (const StatusWords& words : kNotCredited) {
            if (const uint32_t count = e.Count(words.status)) {
                lost += (lost.empty() ? ": " : ", ") + Counted(count, words.one, words.many);
            }
        }
        const uint32_t byCheck = e.Count(LineStatus::kConfirmed) + unconfirmed;
        Row("  not credited", std::to_string(e.QsosClaimed() - byCheck) +
                                  (e.overridden == 0 ? "" : " by the check") + lost);
        if (e.overridden != 0) {
            uint32_t credit = 0;
            for (const auto& [number, index] : m_contest.applied) {
                if (m_contest.Line(number).entrant == &e &&
                    m_contest.rules.decisions[index].verdict == Decision::Verdict::kCredit) {
                    ++credit;
                }
            }
            Row("  decisions", Counted(e.overridden, "line", "lines") +
                                   " decided by the adjudicator: " + std::to_string(credit) +
                                   " credited, " + std::to_string(e.overridden - credit) +
                                   " not credited");
        }
        Row("X-QSO lines", std::to_string(e.Count(LineStatus::kXQso)) + " (never credited)");
        Row("Unreadable lines", std::to_string(log.unreadable.size()));
        Row("Error rate", Percent(e.ErrorRate()));
        for (const std::string& note : log.headerNotes) {
            m_text += Wrapped("Header: " + note + ".", 2);
        }
        m_text += "\n" + Wrapped("Rules: " + RulesText(m_contest.rules) + ".", 0);
    }

    void Lines() {
        bool any = false;
        const auto& lines = m_entrant.log.lines;
        for (uint32_t i = 0; i < lines.size(); ++i) {
            const CheckedLine& line = lines[i];
            const Decision* decision = m_contest.DecisionOn(m_entrant.firstLine + i);
            // Lines that cannot be read are told with the others that cannot.
            if ((line.status == LineStatus::kConfirmed || line.unreadable) && decision == nullptr) {
                continue;
            }
            if (!any) {
                m_text += "\nLines not credited or credited without confirmation\n";
                any = true;
            }
            m_text += "\n";
            Explain(line);
            if (decision != nullptr) {
                m_text += Wrapped("  Decision of the adjudicator: " +
                                      std::string(decision->verdict == Decision::Verdict::kCredit
                                                      ? "credited"
                                                      : "not credited") +
                                      (decision->reason.empty()
                                           ? std::string()
                                           : ": " + Printable(decision->reason, kLongestReason)) +
                                      " (" + Printable(decision->source, kLongestReason) + ").",
                                  2);
            }
        }
        StaleDecisions();
        if (!any) {
            const LogFile& log = m_entrant.log;
            const bool anyRead = std::any_of(log.lines.begin(), log.lines.end(),
                                             [](const CheckedLine& l) { return !l.unreadable; });
            m_text += anyRead ? "\nEvery QSO line is confirmed.\n"
                      : log.unreadable.empty()
                          ? "\nThe log holds no QSO line.\n"
                          : "\nThe log holds no QSO line that could be read.\n";
        }
    }

    // The adjudicator's decisions on this log that name no QSO line of it.
    void StaleDecisions() {
        bool any = false;
        for (const StaleDecision& stale : m_contest.staleDecisions) {
            if (Upper(stale.decision.call) != m_entrant.log.call) {
                continue;
            }
            if (!any) {
                m_text += "\nDecisions that name no QSO line of this log (not applied)\n\n";
                any = true;
            }
            m_text += Wrapped(Shown(stale.decision.source) + ": line " +
                                  std::to_string(stale.decision.line) + ": " + stale.why + ".",
                              0);
        }
    }

    void Quote(const LogFile& log, const CheckedLine& line, const std::string& whose) {
        m_text += "  " + PrintableName(log.name) + " line " + std::to_string(line.lineNumber) +
                  " (" + whose + "):\n    " + QuotedLine(log.LineText(line)) + "\n";
    }

    void Explain(const CheckedLine& line) {
        const ContestCheck::LineRef other = m_contest.Line(line.decidedBy);
        const std::string head = "Line " + std::to_string(line.lineNumber) + ", " +
                                 Shown(m_contest.calls.Text(line.call)) + ": ";
        m_text += Wrapped(head + m_why.Why(line), 0);
        Quote(m_entrant.log, line, "yours");
        if (other.line != nullptr) {
            const bool own = other.entrant == &m_entrant;
            Quote(other.entrant->log, *other.line,
                  !own ? Shown(other.entrant->log.call) + "'s"
                  : m_why.IsFirstOfItsCallAndBand(*other.line) ? "the first"
                                                               : "the one that counts");
        }
    }

    // The entrants ranked in a category.
    std::size_t CategorySize(const LogCategory& category) const {
        for (const CategoryRanking& ranking : m_contest.categories) {
            if (ranking.name == category.RankedName()) {
                return ranking.ranking.size();
            }
        }
        return 0;
    }

    // "60 minutes (fast)", "7 minutes (slow)".
    static std::string ClockOffsetText(int64_t offset) {
        return Counted(static_cast<std::size_t>(std::llabs(offset)), "minute", "minutes") +
               (offset > 0 ? " (fast)" : " (slow)");
    }

    void Unreadable() {
        if (m_entrant.log.unreadable.empty()) {
            return;
        }
        m_text += "\nLines that cannot be read (not checked, not credited)\n\n";
        // A log of another contest is one paragraph, not thousands.
        for (const logfile::UnreadableGroup& group :
             logfile::GroupUnreadable(m_entrant.log.unreadable)) {
            m_text += Wrapped(group.count == 1 ? "Line " + std::to_string(group.first->line) +
                                                     ": " + StillMatched(*group.first)
                                               : group.Summary(),
                              0);
        }
    }

    // An unreadable line's reason, and the partner's line it still matches.
    std::string StillMatched(const logfile::UnreadableLine& unread) const {
        for (const CheckedLine& line : m_entrant.log.lines) {
            if (line.unreadable && line.lineNumber == unread.line) {
                return m_why.UnreadableReason(line);
            }
        }
        return unread.reason;
    }

    const ContestCheck& m_contest;
    const Entrant& m_entrant;
    const LineExplanation m_why;
    std::string m_text;
};

}  // namespace

std::string UbnReport(const ContestCheck& contest, const Entrant& entrant) {
    return UbnWriter(contest, entrant).Report();
}

}  // namespace zelk::adjudication
