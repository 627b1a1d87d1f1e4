// Reading an upload: refusals, the entrant, the header's problems, the score.
#include "serve/upload_reading.h"

#include <algorithm>
#include <cmath>

#include "host/cabrillo_contacts.h"
#include "logfile/cabrillo_reader.h"
#include "report_scoring/log_report.h"
#include "text/text.h"

namespace zelk::serve {

namespace {

constexpr const char* kSendCabrillo =
    " Send the Cabrillo file (.log or .cbr) your logging program writes for the contest.";

// The date part of a contact time, as `zelk report` dates the contest.
ZelkOleDateTime DateOf(const ZelkOleDateTime& time) {
    if (time.m_status != kZelkDateTimeValid) {
        return time;
    }
    return ZelkOleDateTime{std::floor(time.m_dt), kZelkDateTimeValid};
}

std::string Capitalised(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') {
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    }
    return text;
}

bool HasAdifMarks(std::string_view bytes) {
    const std::string upper = host::Upper(bytes);
    return upper.find("<EOH>") != std::string::npos || upper.find("<EOR>") != std::string::npos;
}

std::vector<LineNote> HeaderProblems(const host::CabrilloLog& log, const UploadReading& reading,
                                     std::string_view contestName) {
    std::vector<LineNote> problems;
    if (reading.callFromQsoLines) {
        problems.push_back({0, "the header has no CALLSIGN: line; the log is taken as " +
                                   host::Printable(reading.call) +
                                   "'s, the own call of its first QSO line"});
    }
    const std::string_view contest = log.Contest();
    if (contest.empty()) {
        problems.push_back({0, "the header has no CONTEST: line"});
    } else if (host::Upper(contest) != host::Upper(contestName)) {
        problems.push_back({0, "CONTEST: names " + host::Printable(contest) + ", not " +
                                   std::string(contestName)});
    }
    if (reading.category.empty()) {
        problems.push_back(
            {0, "the header names no category (CATEGORY-OPERATOR:, CATEGORY-BAND: ...)"});
    }
    const std::string_view claimed = log.Value("CLAIMED-SCORE");
    if (claimed.empty()) {
        problems.push_back({0, "the header has no CLAIMED-SCORE: line"});
    } else if (!reading.claimedScore) {
        problems.push_back(
            {0, "CLAIMED-SCORE: " + host::Printable(claimed) + " is not a whole number"});
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
    auto read = host::ReadCabrillo(bytes);
    if (auto* notCabrillo = std::get_if<host::NotCabrillo>(&read)) {
        return Refusal{Capitalised(notCabrillo->reason) + "." + kSendCabrillo};
    }
    const host::CabrilloLog& log = std::get<host::CabrilloLog>(read);

    UploadReading reading;
    reading.call = host::Upper(log.Callsign());
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
                                 [](const host::CabrilloQso& qso) { return !qso.xQso; });
    reading.claimedScore = log.ClaimedScore();
    for (const host::UnreadableLine& line : log.unreadable) {
        reading.unreadable.push_back({line.line, line.reason});
    }

    host::CabrilloContacts mapped = host::MapCabrilloLog(log);
    reading.category = mapped.category;
    reading.station = mapped.sentCoordinate;
    reading.warnings = HeaderProblems(log, reading, contestName);
    for (const host::CabrilloNote& note : mapped.warnings) {
        reading.warnings.push_back({note.line, note.message});
    }

    // As `zelk report LOG --summary` scores it without a contest folder: the
    // contestant as Contestant() names it, the station the log sent.
    if (!mapped.contacts.empty()) {
        host::LogReportSettings settings;
        settings.contestant = mapped.callsign;
        if (settings.contestant.empty()) {
            auto named = std::find_if(mapped.contacts.begin(), mapped.contacts.end(),
                                      [](const host::Contact& c) { return !c.ownCall.empty(); });
            settings.contestant = named != mapped.contacts.end() ? named->ownCall : "";
        }
        settings.category = mapped.category;
        const host::StationChoice station =
            host::ChooseStation(mapped.sentCoordinate, "", std::nullopt, std::nullopt);
        settings.latitude = station.latitude.value_or(0.0);
        settings.longitude = station.longitude.value_or(0.0);
        settings.contestDate = DateOf(mapped.contacts.front().time);
        reading.score = host::BuildLogReport(mapped.contacts, settings).model.score.claimedScore;
    }
    return reading;
}

}  // namespace zelk::serve
