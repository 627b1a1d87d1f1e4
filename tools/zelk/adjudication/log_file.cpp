// A file's bytes read as a log and packed into checked lines.
#include "adjudication/log_file.h"

#include <algorithm>

#include "logfile/sent_coordinate.h"
#include "text/text.h"

namespace zelk::adjudication {

namespace {

// Packs each QSO line as the reader hands it over, its calls interned as
// they come (a log's lines mostly send one call: the last one is
// remembered).
class LinePacker final : public logfile::QsoSink {
  public:
    LinePacker(std::vector<CheckedLine>& lines, CallTable& calls)
        : m_lines(lines), m_calls(calls) {}

    void Qso(const logfile::CabrilloQso& qso, bool partlyRead) override {
        CheckedLine& line = m_lines.emplace_back();
        line.minute = qso.minutes;
        line.lineNumber = qso.lineNumber;
        line.call = m_calls.Intern(qso.Call());
        const std::string_view own = qso.OwnCall();
        if (own != m_lastOwn || m_lastOwnId == CallTable::kNoCall) {
            m_lastOwnId = m_calls.Intern(own);
            m_lastOwn = m_calls.Text(m_lastOwnId);
        }
        line.ownCall = m_lastOwnId;
        line.freqKHz = qso.freqKHz;
        line.band = qso.band;
        line.mode = qso.mode;
        line.xQso = qso.xQso;
        line.unreadable = partlyRead;
        line.sentRead = qso.sentRead;
        line.receivedRead = qso.receivedRead;
        if (qso.sentRead) {
            line.sentSerial = qso.sent.serial;
            line.sentCoordinate = logfile::CoordinateKey(qso.Text(qso.sent.coordinate));
        }
        if (qso.receivedRead) {
            line.receivedSerial = qso.received.serial;
            line.receivedCoordinate = logfile::CoordinateKey(qso.Text(qso.received.coordinate));
        }
    }

  private:
    std::vector<CheckedLine>& m_lines;
    CallTable& m_calls;
    std::string_view m_lastOwn;  // in the table
    uint32_t m_lastOwnId = CallTable::kNoCall;
};

}  // namespace

LogFile ReadLogFile(std::string name, int64_t modified, LogReader& reader) {
    LogFile file;
    file.name = std::move(name);
    file.modified = modified;
    if (reader.bytes.size() > kMaxLogBytes) {
        file.notRead = LogTooLargeReason(reader.bytes.size());
        return file;
    }
    // The lines go through the reader's buffer, and the log keeps an exact
    // copy: a contest's lines are most of its memory.
    std::vector<CheckedLine>& packed = reader.lines;
    packed.clear();
    CallTable& calls = *reader.calls;
    LinePacker packer(packed, calls);
    auto read = logfile::ReadCabrilloInPlace(reader.bytes, packer);
    if (auto* notCabrillo = std::get_if<logfile::NotCabrillo>(&read)) {
        file.notRead = std::move(notCabrillo->reason);
        return file;
    }
    logfile::CabrilloLog& log = std::get<logfile::CabrilloLog>(read);
    file.call = Upper(log.Callsign());
    if (file.call.empty() && !packed.empty()) {
        file.call = std::string(calls.Text(packed.front().ownCall));
        file.callFromQsoLines = true;
    }
    if (file.call.empty()) {
        file.notRead = "the log names no call: it has no CALLSIGN: line and no QSO line";
        return file;
    }
    file.contest = Upper(log.Contest());
    file.claimedScore = log.ClaimedScore();
    file.category = ReadCategory(log);
    // The QSO lines' own calls, of the lines that cannot be read too.
    const uint32_t call = calls.Intern(file.call);
    const auto unlike = static_cast<std::size_t>(std::count_if(
        packed.begin(), packed.end(), [call](const CheckedLine& l) { return l.ownCall != call; }));
    file.headerNotes = HeaderNotes(log, file.category, {packed.size(), unlike});
    // The coordinate sent, of the lines read (X-QSO lines included).
    std::vector<uint32_t> sent;
    sent.reserve(packed.size());
    for (const CheckedLine& line : packed) {
        if (!line.unreadable) {
            sent.push_back(line.sentCoordinate);
        } else {
            ++file.partlyRead;
        }
    }
    file.stationCoordinate = logfile::StationCoordinateOfKeys(sent);
    file.lines.assign(packed.begin(), packed.end());
    file.unreadable = std::move(log.unreadable);
    file.calls = reader.calls;
    return file;
}

LogFile ReadLogFile(std::string name, std::string bytes, int64_t modified) {
    LogReader reader;
    reader.bytes = std::move(bytes);
    LogFile file = ReadLogFile(std::move(name), modified, reader);
    if (file.IsLog()) {
        file.source.bytes = std::make_shared<const std::string>(std::move(reader.bytes));
    }
    return file;
}

std::size_t ReadableLines(const LogFile& log) {
    return log.lines.size() - log.partlyRead;
}

std::string LogTooLargeReason(std::uintmax_t bytes) {
    return "the file is " + std::to_string(bytes) +
           " bytes long, more than a contest log holds (at most " +
           std::to_string(kMaxLogBytes >> 20) + " MiB are read)";
}

LogFile UnreadableFile(std::string name, std::string reason) {
    LogFile file;
    file.name = std::move(name);
    file.notRead = std::move(reason);
    return file;
}

}  // namespace zelk::adjudication
