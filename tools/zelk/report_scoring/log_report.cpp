// A log through intake, the log store and the scoring of the core.
#include "report_scoring/log_report.h"

#include <chrono>
#include <optional>
#include <vector>

#include "contest/contact_args.h"
#include "contest/coordinate.h"
#include "log/error_file.h"
#include "log/intake.h"
#include "log/qso_log.h"
#include "plugin/entry_points.h"
#include "report_scoring/report_scoring.h"

namespace zelk::report_scoring {

namespace {

// The arguments AddData0 receives for a contact, converted as the export
// layer converts them (Plugin::Add passes the same texts).
ContactArgs ArgsOf(const host::Contact& c) {
    return ContactFromHost(c.ownCall.c_str(), c.call.c_str(), &c.time, c.freqHz, c.mode.c_str(),
                           c.rstSent.c_str(), c.rstRcvd.c_str(), c.exchSent.c_str(),
                           c.exchRcvd.c_str(), "", "", c.group.c_str());
}

// A valid time in minutes since 1970, by the calendar the error file and
// the Cabrillo file show it in; none for any other time.
std::optional<int64_t> Minute(const zelk::OleDateTime& time) {
    if (time.m_status != DateTimeStatus::Valid) {
        return std::nullopt;
    }
    const std::optional<CalendarTime> calendar = ToCalendar(time.m_dt);
    if (!calendar) {
        return std::nullopt;
    }
    using namespace std::chrono;
    const sys_days day{year{calendar->year} / calendar->month / calendar->day};
    return int64_t{day.time_since_epoch().count()} * 1440 + calendar->hour * 60 + calendar->minute;
}

}  // namespace

LogReport BuildLogReport(std::span<const host::Contact> contacts,
                         const LogReportSettings& settings) {
    const Coordinate station =
        StationCoordinate(settings.storedCoordinate, settings.latitude, settings.longitude);
    const std::string stationText = settings.storedCoordinate.empty()
                                        ? FormatCoordinate(station.latitude, station.longitude)
                                        : settings.storedCoordinate;
    LogReport report;
    report_html::ReportModel& model = report.model;
    QsoLog log;
    for (const host::Contact& contact : contacts) {
        const ContactArgs args = ArgsOf(contact);
        if (const std::optional<std::string_view> refusal = IntakeRefusal(args)) {
            ++report.refused;
            model.refused.push_back(
                report_html::RefusedFromErrorLine(RefusedContactLine(args, *refusal)));
            continue;
        }
        ++report.admitted;
        if (!log.AppendUnlessStored(ContactRecord(args, stationText))) {
            ++report.duplicates;
        }
    }

    std::vector<ScoredContact> kept;
    std::vector<std::optional<int64_t>> minutes;
    kept.reserve(log.Count());
    minutes.reserve(log.Count());
    log.ForEach([&](const QsoView& record) {
        kept.push_back({record.Call(), record.Group(), record.ExchRcvd()});
        minutes.push_back(Minute(record.Time()));
    });
    model.entrant = ReportEntrant(
        settings.contestant, settings.category, stationText,
        FormatDateTime(zelk::OleDateTime::FromHost(&settings.contestDate), "%d.%m.%Y"));
    model.score = ReportScoreTable(ScoreContacts(kept, station));
    model.contacts = ReportContacts(kept, minutes, station);
    model.options.minOffMinutes = settings.minOffMinutes;
    return report;
}

}  // namespace zelk::report_scoring
