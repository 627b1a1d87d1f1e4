// A file's bytes read as a log and packed into checked lines.
#include "adjudication/log_file.h"

#include <algorithm>
#include <cstring>

#include "logfile/sent_coordinate.h"
#include "text/text.h"

namespace zelk::adjudication {

namespace {

CheckedLine Pack(const logfile::CabrilloQso& qso, const std::string& text) {
    CheckedLine line;
    line.minute = qso.minutes;
    line.textBegin = static_cast<uint32_t>(qso.line.data() - text.data());
    line.textSize = static_cast<uint16_t>(qso.line.size());
    line.lineNumber = qso.lineNumber;
    line.callBegin = qso.call.begin;
    line.callSize = qso.call.size;
    line.ownCallBegin = qso.ownCall.begin;
    line.ownCallSize = qso.ownCall.size;
    line.sentRead = qso.sentRead;
    line.receivedRead = qso.receivedRead;
    line.freqKHz = qso.freqKHz;
    line.band = qso.band;
    line.mode = qso.mode;
    line.xQso = qso.xQso;
    if (qso.sentRead) {
        line.sentSerial = qso.sent.serial;
        line.sentCoordinate = logfile::CoordinateKey(qso.Text(qso.sent.coordinate));
    }
    if (qso.receivedRead) {
        line.receivedSerial = qso.received.serial;
        line.receivedCoordinate = logfile::CoordinateKey(qso.Text(qso.received.coordinate));
    }
    // A normalised exchange is at most 14 characters (cabrillo_exchange.cpp).
    static_assert(sizeof line.received >= 6 + 1 + 7);
    std::memcpy(line.received, qso.received.normalised,
                std::min<std::size_t>(qso.received.normalisedSize, sizeof line.received));
    return line;
}

}  // namespace

LogFile ReadLogFile(std::string name, std::string bytes, int64_t modified) {
    LogFile file;
    file.name = std::move(name);
    file.modified = modified;
    if (bytes.size() > kMaxLogBytes) {
        file.notRead = LogTooLargeReason(bytes.size());
        return file;
    }
    auto read = logfile::ReadCabrillo(std::move(bytes));
    if (auto* notCabrillo = std::get_if<logfile::NotCabrillo>(&read)) {
        file.notRead = std::move(notCabrillo->reason);
        return file;
    }
    logfile::CabrilloLog& log = std::get<logfile::CabrilloLog>(read);
    file.call = Upper(log.Callsign());
    if (file.call.empty() && (!log.qsos.empty() || !log.partlyRead.empty())) {
        const bool readFirst =
            !log.qsos.empty() && (log.partlyRead.empty() ||
                                  log.qsos.front().lineNumber < log.partlyRead.front().lineNumber);
        file.call =
            std::string(readFirst ? log.qsos.front().OwnCall() : log.partlyRead.front().OwnCall());
        file.callFromQsoLines = true;
    }
    if (file.call.empty()) {
        file.notRead = "the log names no call: it has no CALLSIGN: line and no QSO line";
        return file;
    }
    file.contest = Upper(log.Contest());
    file.claimedScore = log.ClaimedScore();
    file.category = ReadCategory(log);
    file.headerNotes = HeaderNotes(log, file.category, file.call);
    file.stationCoordinate = logfile::StationCoordinateSent(log.qsos);
    // The lines read and those partly read, merged in file order.
    file.lines.reserve(log.qsos.size() + log.partlyRead.size());
    auto partly = log.partlyRead.begin();
    for (const logfile::CabrilloQso& qso : log.qsos) {
        for (; partly != log.partlyRead.end() && partly->lineNumber < qso.lineNumber; ++partly) {
            file.lines.push_back(Pack(*partly, *log.text));
            file.lines.back().unreadable = true;
        }
        file.lines.push_back(Pack(qso, *log.text));
    }
    for (; partly != log.partlyRead.end(); ++partly) {
        file.lines.push_back(Pack(*partly, *log.text));
        file.lines.back().unreadable = true;
    }
    file.unreadable = std::move(log.unreadable);
    file.text = std::move(log.text);
    return file;
}

std::size_t ReadableLines(const LogFile& log) {
    return static_cast<std::size_t>(std::count_if(
        log.lines.begin(), log.lines.end(), [](const CheckedLine& l) { return !l.unreadable; }));
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
