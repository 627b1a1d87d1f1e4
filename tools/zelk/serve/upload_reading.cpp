// Reading an upload: refusals, the entrant, the header's problems, the score.
#include "serve/upload_reading.h"

#include <algorithm>

#include "adjudication/log_header.h"
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

uint32_t LineOf(const logfile::CabrilloLog& log, std::string_view tag) {
    for (const logfile::CabrilloTag& line : log.tags) {
        if (line.name == tag) {
            return line.line;
        }
    }
    return 0;
}

// The header's problems, as the check will see them: what the organiser is
// told of the header (adjudication's HeaderNotes, on the category the check
// takes) and what an entrant can put right before sending again.
std::vector<LineNote> HeaderProblems(const logfile::CabrilloLog& log,
                                     const adjudication::LogCategory& category,
                                     const UploadReading& reading, const ContestNames& names) {
    std::vector<LineNote> problems;
    if (reading.callFromQsoLines) {
        problems.push_back({0, "the header has no CALLSIGN: line; the log is taken as " +
                                   Printable(reading.call) +
                                   "'s, the own call of its first QSO line"});
    }
    const std::string_view contest = log.Contest();
    if (contest.empty()) {
        problems.push_back({0, "the header has no CONTEST: line"});
    } else if (!names.Match(contest)) {
        problems.push_back({LineOf(log, "CONTEST"),
                            "CONTEST: names " + Printable(contest) + ", not " + names.Text()});
    }
    if (const std::string_view old = log.Value("CATEGORY"); !old.empty()) {
        problems.push_back(
            {LineOf(log, "CATEGORY"),
             "the category is given on a Cabrillo 2.0 CATEGORY: line (" + Printable(old, 80) +
                 "); the check takes it as " + category.RankedName() +
                 ". If that is not your category, send the log again with CATEGORY-OPERATOR:, "
                 "CATEGORY-BAND: and CATEGORY-POWER: lines"});
    }
    std::vector<std::string> notes = adjudication::HeaderNotes(log, category, reading.call);
    // The first note is the one on the category's source: a category read
    // from the 2.0 line is told above, with its line and what to do; the
    // transmitter is told, not ranked, so a log without it alone (most
    // single-operator logs) has nothing to put right.
    const auto& defaulted = category.defaulted;
    if (!category.version2Line.empty() ||
        (defaulted[static_cast<std::size_t>(adjudication::CategoryPart::kTransmitter)] &&
         std::count(defaulted.begin(), defaulted.end(), true) == 1)) {
        notes.erase(notes.begin());
    }
    for (std::string& note : notes) {
        problems.push_back({0, std::move(note)});
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

bool ContestNames::Match(std::string_view contest) const {
    const std::string upper = Upper(contest);
    return upper == Upper(name) ||
           std::any_of(aliases.begin(), aliases.end(),
                       [&upper](const std::string& alias) { return upper == Upper(alias); });
}

std::string ContestNames::Text() const {
    std::string text = name;
    for (std::size_t i = 0; i < aliases.size(); ++i) {
        text += (i == 0 ? " (or " : ", ") + aliases[i] + (i + 1 == aliases.size() ? ")" : "");
    }
    return text;
}

void KeepNote(std::vector<LineNote>& notes, int64_t& count, LineNote note) {
    ++count;
    if (notes.size() < kNotesKept) {
        if (note.text.size() > kNoteCharacters) {
            // Cut where no UTF-8 sequence is split.
            std::size_t end = kNoteCharacters;
            while (end > 0 && (static_cast<unsigned char>(note.text[end]) & 0xC0) == 0x80) {
                --end;
            }
            note.text = note.text.substr(0, end) + "...";
        }
        notes.push_back(std::move(note));
    }
}

std::variant<UploadReading, Refusal> ReadUpload(std::string_view bytes,
                                                const ContestNames& contest) {
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
        KeepNote(reading.unreadable, reading.unreadableCount, {line.line, line.reason});
    }
    if (const std::string_view named = log.Contest(); !named.empty() && !contest.Match(named)) {
        reading.otherContest = {LineOf(log, "CONTEST"), std::string(named)};
    }

    // Mapped and scored as `zelk report LOG --summary` does without a
    // contest folder: the contestant as it names one, the station the log sent.
    host::LogReading mapped;
    mapped.cabrillo = host::MapCabrilloLog(log);
    mapped.contacts = std::move(mapped.cabrillo->contacts);
    // The category as the check will take it, by the check's own reading.
    const adjudication::LogCategory category = adjudication::ReadCategory(log);
    reading.category = category.RankedName();
    reading.station = mapped.cabrillo->sentCoordinate;
    for (LineNote& note : HeaderProblems(log, category, reading, contest)) {
        KeepNote(reading.warnings, reading.warningCount, std::move(note));
    }
    for (const host::CabrilloNote& note : mapped.cabrillo->warnings) {
        KeepNote(reading.warnings, reading.warningCount, {note.line, note.message});
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
