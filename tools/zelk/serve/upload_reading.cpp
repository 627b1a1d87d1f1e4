// Reading an upload: refusals, the entrant, the header's problems, the score.
#include "serve/upload_reading.h"

#include <algorithm>

#include "host/cabrillo_contacts.h"
#include "host/log_reading.h"
#include "logfile/cabrillo_reader.h"
#include "report_scoring/log_report.h"
#include "text/text.h"

namespace zelk::serve {

namespace {

constexpr const char* kSendCabrillo =
    " Send the Cabrillo file (.log or .cbr) your logging program writes for the contest.";

std::string Capitalised(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') {
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    }
    return text;
}

bool HasAdifMarks(std::string_view bytes) {
    const std::string upper = Upper(bytes);
    return upper.find("<EOH>") != std::string::npos || upper.find("<EOR>") != std::string::npos;
}

std::vector<LineNote> HeaderProblems(const logfile::CabrilloLog& log, const UploadReading& reading,
                                     std::string_view contestName) {
    std::vector<LineNote> problems;
    if (reading.callFromQsoLines) {
        problems.push_back({0, "the header has no CALLSIGN: line; the log is taken as " +
                                   Printable(reading.call) +
                                   "'s, the own call of its first QSO line"});
    }
    const std::string_view contest = log.Contest();
    if (contest.empty()) {
        problems.push_back({0, "the header has no CONTEST: line"});
    } else if (Upper(contest) != Upper(contestName)) {
        problems.push_back(
            {0, "CONTEST: names " + Printable(contest) + ", not " + std::string(contestName)});
    }
    if (reading.category.empty()) {
        problems.push_back(
            {0, "the header names no category (CATEGORY-OPERATOR:, CATEGORY-BAND: ...)"});
    }
    const std::string_view claimed = log.Value("CLAIMED-SCORE");
    if (claimed.empty()) {
        problems.push_back({0, "the header has no CLAIMED-SCORE: line"});
    } else if (!reading.claimedScore) {
        problems.push_back({0, "CLAIMED-SCORE: " + Printable(claimed) + " is not a whole number"});
    }
    if (log.qsos.empty()) {
        problems.push_back({0, "the log has no QSO: line, so it scores nothing"});
    }
    if (log.endLine == 0) {
        problems.push_back({0, "the log has no END-OF-LOG: line: the file may be cut short"});
    }
    return problems;
}

}  // namespace

std::variant<UploadReading, Refusal> ReadUpload(std::string_view bytes,
                                                std::string_view contestName) {
    // What `zelk report` reads as ADIF is refused as ADIF here, even with a
    // START-OF-LOG: line in it.
    if (HasAdifMarks(bytes)) {
        return Refusal{"The file is an ADIF log (it has <EOH> or <EOR>), not a Cabrillo log." +
                       std::string(kSendCabrillo)};
    }
    auto read = logfile::ReadCabrillo(bytes);
    if (auto* notCabrillo = std::get_if<logfile::NotCabrillo>(&read)) {
        return Refusal{Capitalised(notCabrillo->reason) + "." + kSendCabrillo};
    }
    const logfile::CabrilloLog& log = std::get<logfile::CabrilloLog>(read);

    UploadReading reading;
    reading.call = Upper(log.Callsign());
    if (reading.call.empty() && !log.qsos.empty()) {
        reading.call = std::string(log.qsos.front().OwnCall());
        reading.callFromQsoLines = true;
    }
    if (reading.call.empty()) {
        return Refusal{
            "The log names no call: it has no CALLSIGN: line and no QSO line. Add the line "
            "CALLSIGN: with your call to the header."};
    }
    reading.qsos = std::count_if(log.qsos.begin(), log.qsos.end(),
                                 [](const logfile::CabrilloQso& qso) { return !qso.xQso; });
    reading.claimedScore = log.ClaimedScore();
    for (const logfile::UnreadableLine& line : log.unreadable) {
        reading.unreadable.push_back({line.line, line.reason});
    }

    // Mapped and scored as `zelk report LOG --summary` does without a
    // contest folder: the contestant as it names one, the station the log sent.
    host::LogReading mapped;
    mapped.cabrillo = host::MapCabrilloLog(log);
    mapped.contacts = std::move(mapped.cabrillo->contacts);
    reading.category = mapped.cabrillo->category;
    reading.station = mapped.cabrillo->sentCoordinate;
    reading.warnings = HeaderProblems(log, reading, contestName);
    for (const host::CabrilloNote& note : mapped.cabrillo->warnings) {
        reading.warnings.push_back({note.line, note.message});
    }
    if (!mapped.contacts.empty()) {
        report_scoring::LogReportSettings settings;
        settings.contestant = host::Contestant("", mapped);
        settings.category = reading.category;
        // Scored from the sent coordinate's text, as the check scores it.
        settings.storedCoordinate =
            host::ChooseStation(reading.station, "", std::nullopt, std::nullopt).coordinate;
        settings.contestDate = host::DateOf(mapped.contacts.front().time);
        reading.score =
            report_scoring::BuildLogReport(mapped.contacts, settings).model.score.claimedScore;
    }
    return reading;
}

}  // namespace zelk::serve
