// libFuzzer target for zelk's Cabrillo reader: each input is a file's bytes.
// Beyond running clean under the sanitizers, the reader must
// - number every tag, QSO and unreadable line within the file (and inside
//   START-OF-LOG ... END-OF-LOG, but the unreadable lines after END-OF-LOG:,
//   which are of their own kind), and keep every QSO's fields inside its line;
// - give an unreadable line a time only where its fixed fields were read (a
//   line of another contest always has one), and a call only with a time;
// - group the unreadable lines so that every one is in exactly one group;
// - give the same log for the same bytes, copied or handed over;
// - store each exchange as the plug-in's NormaliseReceivedExchange stores the
//   serial and coordinate typed together (or, where that would not split
//   them again, typed with a blank), with the serial's number beside it, and
//   its degrees as the plug-in's ParseCoordinate reads them; an east written
//   E is the same coordinate key as one written O;
// - give printable reasons.
// A broken invariant aborts, which libFuzzer reports as a finding.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "contest/coordinate.h"
#include "fuzz_invariants.h"
#include "log/intake.h"
#include "logfile/cabrillo_reader.h"
#include "logfile/sent_coordinate.h"
#include "text/text.h"

namespace zelk::logfile {
namespace {

using namespace zelk::fuzzing;

// Lines as the reader counts them: CR LF, LF and a lone CR each end one; a
// last line without an end counts too.
uint32_t LineCount(std::string_view bytes) {
    const uint32_t lines = LineEnds(bytes);
    return lines + (bytes.empty() || bytes.back() == '\n' || bytes.back() == '\r' ? 0 : 1);
}

// As Printable (text.h) leaves a text: no control byte, and any byte above
// ASCII part of a well-formed UTF-8 letter.
bool IsPrintable(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) {
            return false;
        }
        const auto sequence = Utf8SequenceLength(text.substr(i));
        if (!sequence) {
            return false;
        }
        i += *sequence;
    }
    return true;
}

void CheckExchange(const CabrilloQso& qso, const CabrilloExchange& e, std::string_view which) {
    const std::string where =
        std::string(which) + " exchange of line " + std::to_string(qso.lineNumber);
    for (LineSpan span : {e.report, e.serialText, e.coordinate}) {
        Require(span.begin + span.size <= qso.line.size(), where + ": a field outside the line");
    }
    const std::string_view serial = qso.Text(e.serialText);
    const std::string_view coordinate = qso.Text(e.coordinate);
    Require(!serial.empty() && !coordinate.empty(), where + ": no serial or coordinate");
    uint64_t number = 0;
    for (char c : serial) {
        Require(c >= '0' && c <= '9', where + ": a serial that is not digits");
        number = number * 10 + static_cast<uint64_t>(c - '0');
    }
    Require(number == e.serial, where + ": the serial's number is not its text's");

    const std::string typed = std::string(serial) + std::string(coordinate);
    std::string stored = NormaliseReceivedExchange(typed);
    if (!(stored.size() > coordinate.size() && stored.ends_with(coordinate) &&
          stored[stored.size() - coordinate.size() - 1] == ' ')) {
        stored = NormaliseReceivedExchange(std::string(serial) + " " + std::string(coordinate));
    }
    Require(e.Normalised() == stored, where + ": normalised '" + std::string(e.Normalised()) +
                                          "', the plug-in stores '" + stored + "'");
    Require(ParseCoordinate(coordinate) == Coordinate{e.latitude, e.longitude},
            where + ": degrees otherwise than the plug-in reads them");
    std::string east(coordinate);
    if (east.back() == 'O') {
        east.back() = 'E';
    }
    Require(CoordinateKey(east) == CoordinateKey(coordinate), where + ": E is not east");
}

void CheckLog(const CabrilloLog& log, std::string_view bytes) {
    const uint32_t lines = LineCount(bytes);
    const uint32_t last = log.endLine != 0 ? log.endLine : lines;
    Require(log.startLine >= 1 && log.startLine <= last && last <= lines,
            "START-OF-LOG or END-OF-LOG outside the file");
    auto inLog = [&](uint32_t line) { return line >= log.startLine && line <= last; };
    const std::string& text = *log.text;
    auto inText = [&](std::string_view view) {
        return view.empty() || (view.data() >= text.data() &&
                                view.data() + view.size() <= text.data() + text.size());
    };
    for (const CabrilloTag& tag : log.tags) {
        Require(inLog(tag.line), "a tag on line " + std::to_string(tag.line) + " outside the log");
        Require(inText(tag.name) && inText(tag.value), "a tag's text outside the log's bytes");
    }
    for (const UnreadableLine& problem : log.unreadable) {
        const bool afterEnd = problem.kind == UnreadableKind::kAfterEnd;
        Require(afterEnd ? log.endLine != 0 && problem.line > log.endLine && problem.line <= lines
                         : inLog(problem.line),
                "unreadable line " + std::to_string(problem.line) + " outside its place");
        Require(IsPrintable(problem.reason),
                "a reason that is not printable: " + problem.Describe());
        Require(problem.minutes.has_value() || problem.call.empty(),
                "a call without a time: " + problem.Describe());
        Require(problem.minutes.has_value() || problem.kind != UnreadableKind::kOtherContest,
                "another contest's line without a time: " + problem.Describe());
        Require(!problem.minutes.has_value() || IsQsoLine(problem.kind),
                "a time on a line that is no QSO line: " + problem.Describe());
        // The call is data, as the line holds it, to compare with others: one
        // field of text, whatever its bytes.
        Require(
            std::none_of(problem.call.begin(), problem.call.end(),
                         [](char c) { return c == ' ' || static_cast<unsigned char>(c) < 0x20; }),
            "a call that is no field: " + problem.Describe());
    }
    std::size_t grouped = 0;
    for (const UnreadableGroup& group : GroupUnreadable(log.unreadable)) {
        grouped += group.count;
        Require(group.count == 1 || IsPrintable(group.Summary()),
                "a summary that is not printable");
    }
    Require(grouped == log.unreadable.size(), "an unreadable line in no group or in two");
    uint32_t previous = 0;
    for (const CabrilloQso& qso : log.qsos) {
        Require(inLog(qso.lineNumber) && qso.lineNumber > previous,
                "QSO line " + std::to_string(qso.lineNumber) + " outside the log or out of order");
        previous = qso.lineNumber;
        Require(inText(qso.line) && qso.line.find_first_of("\r\n") == std::string_view::npos,
                "a QSO's line is not one line of the file");
        for (LineSpan span : {qso.frequency, qso.date, qso.time, qso.ownCall, qso.call}) {
            Require(span.size > 0 && span.begin + span.size <= qso.line.size(),
                    "a QSO field outside its line " + std::to_string(qso.lineNumber));
        }
        Require(qso.band != kNoBand || qso.freqKHz != 0, "neither a frequency nor a band");
        Require(qso.transmitter >= -1 && qso.transmitter <= 1, "a transmitter id beyond 0 and 1");
        CheckExchange(qso, qso.sent, "sent");
        CheckExchange(qso, qso.received, "received");
    }
    // A line partly read is an unreadable QSO line of this contest, with its
    // fixed fields and call, and the exchanges it says it read.
    previous = 0;
    for (const CabrilloQso& qso : log.partlyRead) {
        const std::string where = "partly read line " + std::to_string(qso.lineNumber);
        Require(qso.lineNumber > previous, where + ": out of order");
        previous = qso.lineNumber;
        const auto unread =
            std::find_if(log.unreadable.begin(), log.unreadable.end(),
                         [&](const UnreadableLine& u) { return u.line == qso.lineNumber; });
        Require(unread != log.unreadable.end() && unread->kind == UnreadableKind::kQsoLine &&
                    unread->minutes == qso.minutes && unread->call == qso.Call(),
                where + ": not listed as an unreadable QSO line with its time and call");
        Require(inText(qso.line), where + ": its text outside the log's bytes");
        for (LineSpan span : {qso.frequency, qso.date, qso.time, qso.ownCall, qso.call}) {
            Require(span.size > 0 && span.begin + span.size <= qso.line.size(),
                    where + ": a field outside its line");
        }
        Require(!(qso.sentRead && qso.receivedRead) ||
                    unread->reason.find("after the received") != std::string::npos,
                where + ": both exchanges read, yet unreadable for them: " + unread->reason);
        if (qso.sentRead) {
            CheckExchange(qso, qso.sent, "sent");
        }
        if (qso.receivedRead) {
            CheckExchange(qso, qso.received, "received");
        }
    }
}

// Everything a reader's caller sees, as text.
std::string Dump(const std::variant<CabrilloLog, NotCabrillo>& result) {
    if (const auto* notRead = std::get_if<NotCabrillo>(&result)) {
        return "not read: " + notRead->reason;
    }
    const CabrilloLog& log = std::get<CabrilloLog>(result);
    std::string dump = std::to_string(log.startLine) + "-" + std::to_string(log.endLine) + "\n";
    for (const CabrilloTag& tag : log.tags) {
        dump += std::to_string(tag.line) + " " + std::string(tag.name) + "=" +
                std::string(tag.value) + "\n";
    }
    for (const CabrilloQso& q : log.qsos) {
        dump += std::to_string(q.lineNumber) + (q.xQso ? " X " : " ") + std::string(q.line) + "|" +
                std::to_string(q.freqKHz) + "|" + std::to_string(q.band) + "|" +
                std::string(ModeCode(q.mode)) + "|" + std::to_string(q.minutes) + "|" +
                std::to_string(q.transmitter) + "|" + std::string(q.sent.Normalised()) + "|" +
                std::string(q.received.Normalised()) + "|" + std::to_string(q.sent.latitude) + "," +
                std::to_string(q.received.longitude) + "\n";
    }
    for (const UnreadableLine& problem : log.unreadable) {
        dump += problem.Describe() + "|" + std::to_string(static_cast<int>(problem.kind)) + "|" +
                std::to_string(problem.minutes.value_or(-1)) + "|" + problem.call + "\n";
    }
    return dump;
}

}  // namespace
}  // namespace zelk::logfile

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace zelk::logfile;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto first = ReadCabrillo(bytes);
    if (const auto* log = std::get_if<CabrilloLog>(&first)) {
        CheckLog(*log, bytes);
    } else {
        Require(IsPrintable(std::get<NotCabrillo>(first).reason), "a reason that is not printable");
    }
    const std::string dump = Dump(first);
    Require(Dump(ReadCabrillo(bytes)) == dump, "a second reading differs from the first");
    Require(Dump(ReadCabrillo(std::string(bytes))) == dump,
            "reading handed-over bytes differs from reading a copy");
    return 0;
}
