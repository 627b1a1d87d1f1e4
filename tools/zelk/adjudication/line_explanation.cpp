// The reasons in words.
#include "adjudication/line_explanation.h"

#include <cstdlib>

#include "adjudication/report_text.h"
#include "logfile/sent_coordinate.h"
#include "text/text.h"

namespace zelk::adjudication {

namespace {

std::string Minutes(int64_t apart) {
    return Counted(static_cast<std::size_t>(apart), "minute", "minutes") + " apart";
}

}  // namespace

std::string Shown(std::string_view text) {
    return Printable(text, 40);
}

std::string LineExplanation::CallOf(const CheckedLine& line) const {
    return Shown(m_contest.calls.Text(line.call));
}

std::string LineExplanation::Why(const CheckedLine& line) const {
    const ContestCheck::LineRef other = m_contest.Line(line.decidedBy);
    const std::string call = CallOf(line);
    const std::string band = BandText(line.band);
    std::string why;
    switch (line.status) {
        case LineStatus::kUnreadable:
            why = "unreadable, not credited: " + UnreadableReason(line) + ".";
            break;
        case LineStatus::kXQso:
            why = "X-QSO, not credited: an X-QSO line is listed, never credited.";
            break;
        case LineStatus::kNotCw:
            why = "not in CW, not credited: the mode is " +
                  std::string(logfile::ModeCode(line.mode)) + "; only CW QSOs count.";
            break;
        case LineStatus::kOutOfPeriod:
            why = "out of the contest period, not credited (no penalty): the QSO's time, " +
                  MinuteText(line.minute) + " UTC" +
                  (m_entrant.clockOffsetMinutes != 0 ? " with your clock corrected" : "") +
                  ", lies outside " + PeriodText(m_contest.rules) + ".";
            break;
        case LineStatus::kOutOfBand:
            why =
                "frequency in no band, not credited (no penalty): " + std::to_string(line.freqKHz) +
                " kHz lies in no amateur band.";
            break;
        case LineStatus::kOtherBand:
            why = "on " + band + ", not scored (no penalty): your entry is for " +
                  m_entrant.log.category.Of(CategoryPart::kBand) + " only.";
            break;
        case LineStatus::kDupe:
            why = "dupe, not credited (no penalty): " + DupeReason(line, *other.line) + ".";
            break;
        case LineStatus::kBustedExchange:
            if (other.line == nullptr) {
                why = "busted exchange, not credited: " + NoLogCopies(line) + ".";
                break;
            }
            why = "busted exchange, not credited: you copied " + Exchange(line, true) + "; " +
                  call + " sent " + Exchange(*other.line, false) + " (" +
                  Difference(line, *other.line) + ").";
            break;
        case LineStatus::kBustedCall: {
            const std::string sent = Shown(other.entrant->log.OwnCallText(*other.line));
            why = "busted call, not credited: " + call +
                  (m_contest.SenderOf(line.call) != ContestCheck::kNoEntrant
                       ? "'s log holds no QSO with you there"
                       : " sent no log") +
                  ", but " + sent + " (" +
                  Counted(EditDistance(m_contest.calls.Text(line.call),
                                       other.entrant->log.OwnCallText(*other.line), 1 << 20),
                          "edit", "edits") +
                  " from " + call + ") logged you on " + band + ", " +
                  Minutes(std::llabs(other.line->minute - line.minute)) +
                  ", in a line that no line of yours matches, and you copied its exchange as it "
                  "sent it: you copied its call wrong. " +
                  sent +
                  (other.line->status == LineStatus::kBustedExchange
                       ? " miscopied your exchange and loses the QSO too."
                       : " keeps the QSO.");
            break;
        }
        case LineStatus::kPartnerBustedCall:
            why = "credited without confirmation: " + call + " logged your call as " +
                  Shown(other.entrant->log.CallText(*other.line)) +
                  "; the QSO counts for you, not for " + call + ".";
            break;
        case LineStatus::kNil:
            why = "not in log (NIL), not credited: " + NilReason(line, other.line) + ".";
            if (m_contest.rules.nilPenalty > 0 &&
                !m_contest.Credited(
                    m_entrant.firstLine + static_cast<uint32_t>(&line - m_entrant.log.lines.data()),
                    line)) {
                why += " The NIL costs " +
                       std::to_string(int64_t{m_contest.rules.nilPenalty} * kPointsPerContact) +
                       " more points.";
            }
            if (other.line != nullptr) {
                why += " Its nearest QSO with you is on " + BandText(other.line->band) + ", " +
                       Minutes(std::llabs(other.line->minute - line.minute)) + ":";
            }
            break;
        case LineStatus::kNoLogCredited:
            why = "credited without confirmation: " + call + " sent no log; its call is in " +
                  Counted(m_contest.appearances[line.call], "log", "logs") + ", so the QSO counts" +
                  NoLogAgreement(line) + ".";
            break;
        case LineStatus::kUnique:
            why = "unique, not credited: " + call + " sent no log and its call is in " +
                  Counted(m_contest.appearances[line.call], "log", "logs") + ", fewer than " +
                  std::to_string(m_contest.rules.minAppearances) + ".";
            break;
        case LineStatus::kConfirmed:
            why = "confirmed: " + call + "'s log holds the QSO as you logged it.";
            break;
        case LineStatus::kPending:
            break;
    }
    return why;
}

// Why the partner's log does not back a NIL line; `nearest` is the
// partner's line with our call nearest in time, if any.
std::string LineExplanation::NilReason(const CheckedLine& line, const CheckedLine* nearest) const {
    const std::string call = CallOf(line);
    const std::string band = BandText(line.band);
    const std::string window = Counted(m_contest.rules.timeWindowMinutes, "minute", "minutes");
    if (nearest != nullptr && nearest->band == line.band &&
        std::llabs(nearest->minute - line.minute) <= m_contest.rules.timeWindowMinutes &&
        nearest->match != kNoLine) {
        const ContestCheck::LineRef paired = m_contest.Line(nearest->match);
        return call + "'s log holds a QSO with you on " + band + " within " + window +
               ", but it pairs with your line " + std::to_string(paired.line->lineNumber);
    }
    std::string reason =
        call + " sent a log, but it holds no QSO with you on " + band + " within " + window;
    if (const logfile::UnreadableLine* unread = UnreadableNear(line)) {
        reason += " that could be read: its line " + std::to_string(unread->line) +
                  " near that time could not be read (" + unread->reason +
                  "); the QSO may be there";
    }
    return reason;
}

// The partner's unreadable QSO line nearest to a NIL line in time, within
// the window, on its band (or of a band unknown) and naming our call (or
// no call that could be found); null when none is.
const logfile::UnreadableLine* LineExplanation::UnreadableNear(const CheckedLine& line) const {
    const Entrant* partner = m_contest.EntrantSending(line.call);
    if (partner == nullptr) {
        return nullptr;
    }
    const logfile::UnreadableLine* nearest = nullptr;
    int64_t nearestApart = 0;
    for (const logfile::UnreadableLine& unread : partner->log.unreadable) {
        if (!unread.minutes || !logfile::IsQsoLine(unread.kind)) {
            continue;
        }
        // The partner's clock, where it was corrected, as its lines are.
        const int64_t apart =
            std::llabs(*unread.minutes - partner->clockOffsetMinutes - line.minute);
        const bool band = unread.band == logfile::kNoBand || unread.band == line.band;
        const bool call = unread.call.empty() || unread.call == m_contest.calls.Text(line.ownCall);
        if (apart <= m_contest.rules.timeWindowMinutes && band && call &&
            (nearest == nullptr || apart < nearestApart)) {
            nearest = &unread;
            nearestApart = apart;
        }
    }
    return nearest;
}

// Why a line that is kept for pairing could not be read: the reader's
// reason; and what it still did for the partner.
std::string LineExplanation::UnreadableReason(const CheckedLine& line) const {
    std::string reason;
    for (const logfile::UnreadableLine& unread : m_entrant.log.unreadable) {
        if (unread.line == line.lineNumber) {
            reason = unread.reason;
        }
    }
    const ContestCheck::LineRef partner = m_contest.Line(line.match);
    if (partner.line != nullptr) {
        reason += "; it still matches " + Shown(partner.entrant->log.call) + "'s line " +
                  std::to_string(partner.line->lineNumber) + ", which " +
                  (line.sentRead ? "is judged by what this line sent"
                                 : "is not judged on your exchange, which cannot be read");
    }
    return reason;
}

// Where the logs that worked a call without a log agree on its coordinate
// and `line` copied another: what they copied.
std::string LineExplanation::NoLogCopies(const CheckedLine& line) const {
    const auto votes = m_contest.noLogCoordinates.find(line.call);
    if (votes == m_contest.noLogCoordinates.end()) {
        return "its exchange differs from the one the other logs copied";
    }
    const NoLogCoordinate& v = votes->second;
    return CallOf(line) + " sent no log, and " + Counted(v.logs, "log", "logs") +
           " that worked it copied its coordinate as " + logfile::CoordinateKeyText(v.coordinate) +
           (v.nextLogs == 0 ? std::string()
                            : " (no other coordinate in more than " +
                                  Counted(v.nextLogs, "log", "logs") + ")") +
           "; you copied " + logfile::CoordinateKeyText(line.receivedCoordinate);
}

// How the exchange of a credited line with a call without a log stands
// beside the other logs' copies: ", its exchange agreeing with ...".
std::string LineExplanation::NoLogAgreement(const CheckedLine& line) const {
    const auto votes = m_contest.noLogCoordinates.find(line.call);
    if (votes == m_contest.noLogCoordinates.end() || votes->second.coordinates <= 1) {
        return ", with its exchange unchecked";
    }
    const NoLogCoordinate& v = votes->second;
    if (v.agreed) {
        return "; its coordinate, " + logfile::CoordinateKeyText(v.coordinate) +
               ", is the one most logs that worked it copied (" + Counted(v.logs, "log", "logs") +
               ")";
    }
    return ", with its exchange unchecked: the logs that worked it do not agree on its "
           "coordinate (" +
           std::to_string(v.coordinates) + " coordinates, the most copied in " +
           Counted(v.logs, "log", "logs") + ")";
}

// Why `line` is a dupe of `counted`, the line of the same call and band
// that counts: the first of them, or the first the partner's log backs.
std::string LineExplanation::DupeReason(const CheckedLine& line, const CheckedLine& counted) const {
    const std::string call = CallOf(line);
    const std::string where = call + " on " + BandText(line.band);
    const std::string number = std::to_string(counted.lineNumber);
    if (IsFirstOfItsCallAndBand(counted)) {
        return "you worked " + where + " before, in line " + number + "; the first QSO counts";
    }
    return "you logged " + where + (Earlier(counted, line) ? " before" : " again") + ", in line " +
           number + ", and " + call + "'s log " +
           (counted.status == LineStatus::kConfirmed ? "confirms" : "holds") +
           " that QSO, so that one counts";
}

bool LineExplanation::Earlier(const CheckedLine& a, const CheckedLine& b) {
    return a.minute != b.minute ? a.minute < b.minute : a.lineNumber < b.lineNumber;
}

// Whether no line of the log with the same call and band, that its own
// log leaves to the check, comes before `counted`.
bool LineExplanation::IsFirstOfItsCallAndBand(const CheckedLine& counted) const {
    for (const CheckedLine& other : m_entrant.log.lines) {
        if (other.call == counted.call && other.band == counted.band &&
            !IsOwnLogStatus(other.status) && Earlier(other, counted)) {
            return false;
        }
    }
    return true;
}

// "the serial differs", "the coordinate differs", "both differ"
std::string LineExplanation::Difference(const CheckedLine& ours, const CheckedLine& theirs) {
    const bool serial = ours.receivedSerial != theirs.sentSerial;
    const bool coordinate = ours.receivedCoordinate != theirs.sentCoordinate;
    return serial && coordinate ? "both differ"
           : serial             ? "the serial differs"
                                : "the coordinate differs";
}

// "serial 8 and coordinate 63N38O"
std::string LineExplanation::Exchange(const CheckedLine& line, bool received) {
    return "serial " + std::to_string(received ? line.receivedSerial : line.sentSerial) +
           " and coordinate " +
           logfile::CoordinateKeyText(received ? line.receivedCoordinate : line.sentCoordinate);
}

}  // namespace zelk::adjudication
