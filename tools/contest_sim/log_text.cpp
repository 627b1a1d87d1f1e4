// Writing the entrants' files. Lines are put together by hand: a large
// contest writes a million of them.
#include "log_text.h"

#include <array>
#include <charconv>

namespace zelk::sim {
namespace {

constexpr std::string_view kPluginCreatedBy = "Vexa 2.7";
constexpr std::string_view kSimulatorCreatedBy = "zelk-contest-sim";
constexpr std::string_view kCwReport = "599";
constexpr std::string_view kPhoneReport = "59";
// The plug-in's QSO line, "QSO: %5i %2s %s %-13s %-5s   %-12s  %s\r\n", with
// each exchange's serial and coordinate two blanks apart.
constexpr std::size_t kFreqWidth = 5;
constexpr std::size_t kModeWidth = 2;
constexpr std::size_t kOwnCallWidth = 13;
constexpr std::size_t kSentWidth = 5;
constexpr std::size_t kCallWidth = 12;
constexpr uint32_t kLargestTypedSerial = 9999;  // the plug-in splits 1 to 4 serial digits

void AppendNumber(std::string& out, uint32_t value, std::size_t zeroFillTo = 0) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    const std::size_t size = static_cast<std::size_t>(end - digits);
    if (size < zeroFillTo) {
        out.append(zeroFillTo - size, '0');
    }
    out.append(digits, size);
}

void AppendPadded(std::string& out, std::string_view text, std::size_t width, bool left) {
    const std::size_t fill = text.size() < width ? width - text.size() : 0;
    if (!left) {
        out.append(fill, ' ');
    }
    out += text;
    if (left) {
        out.append(fill, ' ');
    }
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& ch : lower) {
        if (ch >= 'A' && ch <= 'Z') {
            ch = static_cast<char>(ch - 'A' + 'a');
        }
    }
    return lower;
}

// Howard Hinnant's days-from-civil and civil-from-days (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

std::string CivilText(int64_t days, bool withDashes) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const int64_t y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2);
    std::string text;
    AppendNumber(text, static_cast<uint32_t>(y), 4);
    if (withDashes) {
        text += '-';
    }
    AppendNumber(text, m, 2);
    if (withDashes) {
        text += '-';
    }
    AppendNumber(text, d, 2);
    return text;
}

// What one log line says, taken from the model.
struct LineFields {
    int32_t freqKHz;
    std::string_view mode;
    std::string_view ownCall;
    uint32_t sentSerial;
    std::string_view ownCoordinate;
    std::string_view call;
    uint32_t receivedSerial;
    std::string receivedCoordinate;
    bool cw;
    bool xQso;
};

LineFields FieldsOf(const Model& model, uint32_t entry) {
    const Contact& contact = model.contacts[entry >> 1];
    const Side& side = model.SideOf(entry);
    const Side& partner = model.PartnerOf(entry);
    const Station& own = model.stations[side.station];
    const Station& worked = model.stations[partner.station];
    LineFields f{side.freqKHz,
                 contact.cw ? "CW" : "PH",
                 own.call,
                 side.serial,
                 own.coordinate,
                 side.bustedCall >= 0 ? std::string_view(model.bustedCalls[side.bustedCall])
                                      : std::string_view(worked.call),
                 side.copiedSerial != 0 ? side.copiedSerial : partner.serial,
                 side.coordinateMiscopied
                     ? CoordinateText(side.copiedLatitude, side.copiedLongitude)
                     : worked.coordinate,
                 contact.cw,
                 contact.xQso && (entry & 1) == 0};
    return f;
}

class CabrilloText {
  public:
    explicit CabrilloText(const WriterStyle& style)
        : m_style(style), m_eol(style.lowerCaseLf ? "\n" : "\r\n") {}

    void Tag(std::string_view tag, std::string_view value) {
        m_out += m_style.lowerCaseLf ? Lower(tag) : std::string(tag);
        m_out += ": ";
        m_out += value;
        EndLine();
    }
    void EndOfLog() {
        m_out += m_style.lowerCaseLf ? "end-of-log:" : "END-OF-LOG:";
        EndLine();
    }

    void Qso(const LineFields& f, std::string_view date, std::string_view time) {
        m_out += f.xQso ? (m_style.lowerCaseLf ? "x-qso:" : "X-QSO:")
                        : (m_style.lowerCaseLf ? "qso:" : "QSO:");
        if (m_style.layout == WriterStyle::Layout::PluginColumns) {
            PluginColumns(f, date, time);
        } else {
            Separated(f, date, time);
        }
        EndLine();
    }

    uint32_t NextLine() const { return m_lines + 1; }
    std::string Take() { return std::move(m_out); }
    void Reserve(std::size_t bytes) { m_out.reserve(bytes); }

  private:
    void PluginColumns(const LineFields& f, std::string_view date, std::string_view time) {
        std::string number;
        AppendNumber(number, static_cast<uint32_t>(f.freqKHz));
        m_out += ' ';
        AppendPadded(m_out, number, kFreqWidth, false);
        m_out += ' ';
        AppendPadded(m_out, f.mode, kModeWidth, false);
        m_out += ' ';
        m_out += date;
        m_out += ' ';
        m_out += time;
        m_out += ' ';
        AppendPadded(m_out, f.ownCall, kOwnCallWidth, true);
        m_out += ' ';
        std::string sent;
        AppendNumber(sent, f.sentSerial, 3);
        sent += "  ";
        sent += f.ownCoordinate;
        AppendPadded(m_out, sent, kSentWidth, true);
        m_out += "   ";
        AppendPadded(m_out, f.call, kCallWidth, true);
        m_out += "  ";
        AppendNumber(m_out, f.receivedSerial, 3);
        m_out += "  ";
        m_out += f.receivedCoordinate;
    }

    void Separated(const LineFields& f, std::string_view date, std::string_view time) {
        const char separator = m_style.layout == WriterStyle::Layout::Tabs ? '\t' : ' ';
        const std::size_t fill = m_style.unpaddedSerials ? 0 : 3;
        const std::string_view report = f.cw ? kCwReport : kPhoneReport;
        auto field = [&](std::string_view text) {
            m_out += separator;
            m_out += text;
        };
        m_out += separator;
        AppendNumber(m_out, static_cast<uint32_t>(f.freqKHz));
        field(f.mode);
        field(date);
        field(time);
        field(f.ownCall);
        if (m_style.signalReport) {
            field(report);
        }
        m_out += separator;
        AppendNumber(m_out, f.sentSerial, fill);
        field(f.ownCoordinate);
        field(f.call);
        if (m_style.signalReport) {
            field(report);
        }
        m_out += separator;
        if (m_style.typedExchange && f.receivedSerial <= kLargestTypedSerial) {
            AppendNumber(m_out, f.receivedSerial);
            m_out += f.receivedCoordinate;
        } else {
            AppendNumber(m_out, f.receivedSerial, fill);
            field(f.receivedCoordinate);
        }
    }

    void EndLine() {
        m_out += m_eol;
        ++m_lines;
    }

    WriterStyle m_style;
    std::string_view m_eol;
    std::string m_out;
    uint32_t m_lines = 0;
};

struct BandName {
    int32_t edgeKHz;
    std::string_view name;
};
constexpr std::array kBandNames{
    BandName{1800, "160m"}, BandName{3500, "80m"},  BandName{7000, "40m"},
    BandName{10100, "30m"}, BandName{14000, "20m"}, BandName{18068, "17m"},
    BandName{21000, "15m"}, BandName{24890, "12m"}, BandName{28000, "10m"},
};

void AdifField(std::string& out, std::string_view name, std::string_view value) {
    out += '<';
    out += name;
    out += ':';
    AppendNumber(out, static_cast<uint32_t>(value.size()));
    out += '>';
    out += value;
    out += ' ';
}

}  // namespace

WriterStyle ChooseStyle(Random& random, uint32_t ordinal) {
    WriterStyle style;
    if (ordinal % 4 == 0) {
        return style;
    }
    style.layout = random.Chance(50) ? WriterStyle::Layout::Blanks : WriterStyle::Layout::Tabs;
    style.signalReport = random.Chance(25);
    style.unpaddedSerials = random.Chance(25);
    style.typedExchange = random.Chance(25);
    style.lowerCaseLf = random.Chance(25);
    style.headerExtras = random.Chance(25);
    // How many entrants before this one write in a style of their own.
    const uint32_t sure = ordinal - ordinal / 4 - 1;
    switch (sure % 5) {
        case 0:
            style.signalReport = true;
            break;
        case 1:
            style.unpaddedSerials = true;
            break;
        case 2:
            style.typedExchange = true;
            style.signalReport = false;
            break;
        case 3:
            style.lowerCaseLf = true;
            break;
        default:
            style.headerExtras = true;
            break;
    }
    // A report in front of a one-piece exchange is not how anyone types it.
    if (style.signalReport) {
        style.typedExchange = false;
    }
    return style;
}

std::string LogFileName(std::string_view call, const WriterStyle& style, std::string_view suffix) {
    std::string name(call);
    for (char& ch : name) {
        if (ch == '/' || ch == '\\') {
            ch = '_';
        }
    }
    name += suffix;
    if (style.layout == WriterStyle::Layout::PluginColumns) {
        return name + ".cbr";
    }
    return style.lowerCaseLf ? Lower(name) + ".log" : name + ".log";
}

ContestClock::ContestClock(const SimulationParameters& p)
    : m_startMinuteOfDay(p.startHour * 60),
      m_startDay(DaysFromCivil(p.startYear, static_cast<unsigned>(p.startMonth),
                               static_cast<unsigned>(p.startDay))) {
    const int32_t days = (m_startMinuteOfDay + p.lengthHours * 60) / 1440 + 1;
    for (int32_t d = 0; d < days; ++d) {
        m_dates.push_back(CivilText(m_startDay + d, true));
    }
    for (uint32_t minute = 0; minute < 1440; ++minute) {
        std::string time;
        AppendNumber(time, minute / 60, 2);
        AppendNumber(time, minute % 60, 2);
        m_times.push_back(std::move(time));
    }
}

std::string_view ContestClock::Date(int32_t minute) const {
    return m_dates[static_cast<std::size_t>((m_startMinuteOfDay + minute) / 1440)];
}

std::string_view ContestClock::Time(int32_t minute) const {
    return m_times[static_cast<std::size_t>((m_startMinuteOfDay + minute) % 1440)];
}

std::string ContestClock::AdifDate(int32_t minute) const {
    return CivilText(m_startDay + (m_startMinuteOfDay + minute) / 1440, false);
}

int64_t ContestClock::UnixTime(int32_t minute) const {
    return (m_startDay * 1440 + m_startMinuteOfDay + minute) * 60;
}

std::string WriteCabrillo(const Model& model, uint32_t station,
                          const std::vector<uint32_t>& entries, const WriterStyle& style,
                          int64_t claimedScore, const ContestClock& clock,
                          std::vector<uint32_t>& lineNumbers) {
    const std::string& call = model.stations[station].call;
    const std::string score = std::to_string(claimedScore);
    CabrilloText text(style);
    text.Reserve(1024 + entries.size() * 96);
    text.Tag("START-OF-LOG", "3.0");
    text.Tag("CONTEST", "ZELK");
    text.Tag("CALLSIGN", call);
    text.Tag("CATEGORY-OPERATOR", "SINGLE-OP");
    text.Tag("CATEGORY-BAND", "ALL");
    text.Tag("CATEGORY-MODE", "CW");
    text.Tag("CATEGORY-POWER", station % 3 == 0 ? "HIGH" : "LOW");
    if (style.layout == WriterStyle::Layout::PluginColumns) {
        // The plug-in's header, every tag in its order, unset ones empty.
        text.Tag("CATEGORY-TRANSMITTER", "ONE");
        text.Tag("CLAIMED-SCORE", score);
        text.Tag("OPERATORS", call);
        for (std::string_view tag : {"NAME", "ADDRESS", "ADDRESS-CITY", "ADDRESS-STATE-PROVINCE",
                                     "ADDRESS-POSTALCODE", "ADDRESS-COUNTRY", "EMAIL"}) {
            text.Tag(tag, "");
        }
        text.Tag("CREATED-BY", kPluginCreatedBy);
        text.Tag("SOAPBOX", "");
    } else {
        text.Tag("CLAIMED-SCORE", score);
        text.Tag("OPERATORS", call);
        text.Tag("CREATED-BY", kSimulatorCreatedBy);
        if (style.headerExtras) {
            text.Tag("ADDRESS", "1 Antenna Road");
            text.Tag("ADDRESS", "Dipole Hill");
            text.Tag("SOAPBOX", "Good conditions on the low bands.");
            text.Tag("SOAPBOX", "Thanks for the contacts!");
            text.Tag("X-ANTENNA", "inverted V at 12 m");
        }
    }
    lineNumbers.clear();
    lineNumbers.reserve(entries.size());
    for (uint32_t entry : entries) {
        const int32_t minute = model.SideOf(entry).minute;
        lineNumbers.push_back(text.NextLine());
        text.Qso(FieldsOf(model, entry), clock.Date(minute), clock.Time(minute));
    }
    text.EndOfLog();
    return text.Take();
}

std::string WriteAdif(const Model& model, uint32_t station, const std::vector<uint32_t>& entries,
                      const ContestClock& clock) {
    std::string out = "ZELK contest log of " + model.stations[station].call +
                      ", exported by zelk-contest-sim\r\n";
    AdifField(out, "ADIF_VER", "3.1.4");
    AdifField(out, "PROGRAMID", kSimulatorCreatedBy);
    out += "<EOH>\r\n";
    for (uint32_t entry : entries) {
        const LineFields f = FieldsOf(model, entry);
        const int32_t minute = model.SideOf(entry).minute;
        std::string freq;
        AppendNumber(freq, static_cast<uint32_t>(f.freqKHz / 1000));
        freq += '.';
        AppendNumber(freq, static_cast<uint32_t>(f.freqKHz % 1000), 3);
        std::string sent, received;
        AppendNumber(sent, f.sentSerial, 3);
        sent += ' ';
        sent += f.ownCoordinate;
        AppendNumber(received, f.receivedSerial, 3);
        received += ' ';
        received += f.receivedCoordinate;
        AdifField(out, "CALL", f.call);
        AdifField(out, "QSO_DATE", clock.AdifDate(minute));
        AdifField(out, "TIME_ON", clock.Time(minute));
        for (const BandName& band : kBandNames) {
            if (band.edgeKHz == model.parameters.bandsKHz[model.contacts[entry >> 1].band]) {
                AdifField(out, "BAND", band.name);
            }
        }
        AdifField(out, "FREQ", freq);
        AdifField(out, "MODE", f.cw ? "CW" : "SSB");
        AdifField(out, "STX_STRING", sent);
        AdifField(out, "SRX_STRING", received);
        AdifField(out, "STATION_CALLSIGN", f.ownCall);
        out += "<EOR>\r\n";
    }
    return out;
}

std::string WriteBinaryFile(Random& random) {
    std::string bytes = "PK\x03\x04";
    const uint32_t size = 600 + random.Below(600);
    for (uint32_t i = 0; i < size; ++i) {
        bytes += static_cast<char>(random.Below(256));
    }
    return bytes;
}

}  // namespace zelk::sim
