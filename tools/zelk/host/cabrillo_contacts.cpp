// Cabrillo QSO lines to host arguments.
#include "host/cabrillo_contacts.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "logfile/cabrillo_category.h"
#include "logfile/sent_coordinate.h"
#include "text/text.h"

namespace zelk::host {

namespace {

ZelkOleDateTime TimeOf(int64_t minutes) {
    using namespace std::chrono;
    const int64_t days = minutes >= 0 ? minutes / 1440 : (minutes - 1439) / 1440;
    const int64_t minuteOfDay = minutes - days * 1440;
    const year_month_day date{sys_days{std::chrono::days{days}}};
    return OleDateTime(static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                       static_cast<unsigned>(date.day()), static_cast<int>(minuteOfDay / 60),
                       static_cast<int>(minuteOfDay % 60));
}

// The sent serial as the host is handed a serial: at least three digits.
std::string SerialText(uint32_t serial) {
    char text[16];
    std::snprintf(text, sizeof text, "%03u", static_cast<unsigned>(serial));
    return text;
}

}  // namespace

CabrilloContacts MapCabrilloLog(const logfile::CabrilloLog& log) {
    CabrilloContacts mapped;
    mapped.callsign = Upper(log.Callsign());
    mapped.sentCoordinate = logfile::StationCoordinateSent(log.qsos);
    // As the organiser's check reads it, from either version's lines.
    mapped.category = logfile::ReadHeaderCategory(log).Text();
    for (const logfile::UnreadableGroup& group : logfile::GroupUnreadable(log.unreadable)) {
        const logfile::UnreadableLine& line = *group.first;
        const bool qsoLine = logfile::IsQsoLine(line.kind);
        (qsoLine ? mapped.skipped : mapped.warnings)
            .push_back({line.line,
                        group.count > 1
                            ? group.Summary()
                            : (qsoLine ? "cannot be read: " : "not read: ") + line.reason,
                        group.count});
    }
    for (const logfile::CabrilloQso& qso : log.qsos) {
        if (qso.xQso) {
            mapped.skipped.push_back({qso.lineNumber, "an X-QSO: line, which never counts"});
            continue;
        }
        Contact contact;
        contact.record = qso.lineNumber;
        contact.ownCall = std::string(qso.OwnCall());
        contact.call = std::string(qso.Call());
        contact.time = TimeOf(qso.minutes);
        const uint64_t hertz =
            qso.freqKHz != 0 ? uint64_t{qso.freqKHz} * 1000 : logfile::Bands()[qso.band].lowerHz;
        if (hertz <= kHostHertzLimit) {
            contact.freqHz = static_cast<uint32_t>(hertz);
        } else {
            mapped.warnings.push_back(
                {qso.lineNumber, "frequency " + std::string(qso.Text(qso.frequency)) +
                                     " is above 4294.967295 MHz, the most the host's 32-bit "
                                     "hertz carry: scored in group " +
                                     qso.Group() + ", handed to the plug-in as 0 Hz"});
        }
        contact.mode = std::string(logfile::ModeCode(qso.mode));
        contact.rstSent = std::string(qso.Text(qso.sent.report));
        contact.rstRcvd = std::string(qso.Text(qso.received.report));
        contact.exchSent = SerialText(qso.sent.serial);
        contact.exchRcvd = std::string(qso.received.Normalised());
        contact.group = qso.Group();
        mapped.contacts.push_back(std::move(contact));
    }
    std::sort(mapped.skipped.begin(), mapped.skipped.end(),
              [](const CabrilloNote& a, const CabrilloNote& b) { return a.line < b.line; });
    return mapped;
}

std::size_t CabrilloContacts::SkippedCount() const {
    std::size_t count = 0;
    for (const CabrilloNote& note : skipped) {
        count += note.lines;
    }
    return count;
}

std::optional<logfile::CabrilloLog> ReadIfCabrillo(std::string_view bytes) {
    std::string_view text = bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes;
    text.remove_prefix(std::min(text.find_first_not_of(" \t\r\n"), text.size()));
    // The first line's tag: a soapbox that mentions <EOR> makes no ADIF log.
    const std::string_view firstLine = text.substr(0, text.find_first_of("\r\n"));
    const std::size_t colon = firstLine.find(':');
    std::string_view tag = firstLine.substr(0, colon);
    tag.remove_suffix(tag.size() - std::min(tag.find_last_not_of(" \t") + 1, tag.size()));
    const bool startsAsCabrillo = colon != std::string_view::npos && Upper(tag) == "START-OF-LOG";
    const std::string upper = Upper(bytes);
    if (!startsAsCabrillo &&
        (upper.find("<EOH>") != std::string::npos || upper.find("<EOR>") != std::string::npos)) {
        return std::nullopt;
    }
    auto read = logfile::ReadCabrillo(bytes);
    if (auto* log = std::get_if<logfile::CabrilloLog>(&read)) {
        return std::move(*log);
    }
    return std::nullopt;
}

StationChoice ChooseStation(const std::string& sentCoordinate, const std::string& storedCoordinate,
                            std::optional<double> latitude, std::optional<double> longitude) {
    StationChoice choice;
    if (sentCoordinate.empty()) {
        return choice;
    }
    const uint32_t sent = logfile::CoordinateKey(sentCoordinate);
    if (!storedCoordinate.empty()) {
        if (logfile::CoordinateKey(Upper(storedCoordinate)) != sent) {
            choice.note = "warning: the log sent the coordinate " + sentCoordinate +
                          ", but the contest folder stores " + Printable(storedCoordinate) +
                          ", which the plug-in scores from and sends";
        }
        return choice;
    }
    if (latitude) {
        const std::string given = CoordinateText(*latitude, *longitude);
        if (logfile::CoordinateKey(given) != sent) {
            choice.note = "warning: the log sent the coordinate " + sentCoordinate +
                          ", but --lat and --lon give " + given +
                          ", which the plug-in scores from and sends";
        }
        return choice;
    }
    const logfile::SignedDegrees degrees = logfile::CoordinateKeyDegrees(sent);
    choice.coordinate = sentCoordinate;
    choice.latitude = degrees.latitude;
    choice.longitude = degrees.longitude;
    choice.note = "station coordinate " + sentCoordinate +
                  ", as the log sent it (the contest folder stores none; --lat and --lon "
                  "choose another)";
    return choice;
}

std::string SignedFallbackNote(const StationChoice& choice) {
    if (choice.coordinate.empty() || (*choice.latitude >= 0 && *choice.longitude >= 0)) {
        return {};
    }
    // The plug-in measures from a fallback's signed degrees, but from the
    // magnitudes of a stored coordinate, as from every received one.
    return "the plug-in measures distances from these as signed degrees (" +
           std::to_string(static_cast<int>(*choice.latitude)) + ", " +
           std::to_string(static_cast<int>(*choice.longitude)) +
           "): store the coordinate (zelk init --coordinate " + choice.coordinate +
           ") to score as zelk report, zelk serve and the organiser's check do";
}

}  // namespace zelk::host
