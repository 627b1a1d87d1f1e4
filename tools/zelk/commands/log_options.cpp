// Log options and what zelk score and zelk report take from a log alike.
#include "commands/log_options.h"

#include "host/contact.h"

namespace zelk::commands {

void AddLogOptions(CLI::App& command, host::LogOptions& options) {
    command.add_option("-C,--folder", options.folder,
                       "Contest folder to work in (made by zelk init); default: the current one");
    command.add_option("--call", options.call,
                       "Own call sign, for contacts whose record names none and as the "
                       "contestant (default: the log's STATION_CALLSIGN or OPERATOR)");
    command
        .add_option("--group-by", options.groupBy,
                    "Group contacts by band (the amateur band of FREQ, else BAND, named by its "
                    "lower edge in whole megahertz: 28 for all of 10 m) or by the text of any "
                    "ADIF field")
        ->capture_default_str();
}

void AddScoredLogOptions(CLI::App& command, ScoredLogOptions& options) {
    command
        .add_option("LOG", options.input.log,
                    "ADIF log (.adi), or a Cabrillo file: its X-QSO and unreadable lines are "
                    "skipped; the coordinate it sent is the station's when none is stored")
        ->required();
    AddLogOptions(command, options.input);
    command.add_option("--date", options.date,
                       "Contest date YYYY-MM-DD (default: the first contact's date)");
    auto* lat = command.add_option(
        "--lat", options.latitude,
        "Station latitude in degrees, used when the contest folder stores no coordinate");
    auto* lon = command.add_option("--lon", options.longitude,
                                   "Station longitude in degrees (east positive)");
    lat->needs(lon);
    lon->needs(lat);
}

host::Checked<std::optional<ZelkOleDateTime>> DateOption(const std::string& date) {
    if (date.empty()) {
        return std::optional<ZelkOleDateTime>();
    }
    if (auto parsed = host::ParseIsoDate(date)) {
        return std::optional<ZelkOleDateTime>(*parsed);
    }
    return "--date '" + date + "' is not a date YYYY-MM-DD";
}

ZelkOleDateTime ContestDate(const std::optional<ZelkOleDateTime>& given,
                            const host::LogReading& reading) {
    if (given) {
        return *given;
    }
    if (!reading.contacts.empty()) {
        return host::DateOf(reading.contacts.front().time);
    }
    return ZelkOleDateTime{0.0, kZelkDateTimeNull};
}

}  // namespace zelk::commands
