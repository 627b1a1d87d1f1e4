// Writing the entrants' files. Lines are put together by hand: a large
// contest writes a million of them.
#include "log_text.h"

#include "entrant_setup.h"
#include "text_append.h"

namespace zelk::sim {
namespace {

constexpr std::string_view kPluginCreatedBy = "Vexa 2.7";
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

    // A QSO line of another contest, its fields given whole.
    void OtherQso(std::string_view fields) {
        m_out += m_style.lowerCaseLf ? "qso: " : "QSO: ";
        m_out += fields;
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

// The CONTEST: line and the category lines, as the entrant's logger writes
// them. The plug-in writes every category tag; other loggers leave out a
// transmitter of ONE; a logger of Cabrillo 2.0 writes one CATEGORY: line.
void WriteHeadTags(CabrilloText& text, const EntrantSetup& setup, ContestTag contest,
                   std::string_view call, bool plugin) {
    const bool version2 = setup.categoryText == CategoryText::Cabrillo2;
    text.Tag("START-OF-LOG", version2 ? "2.0" : "3.0");
    switch (contest) {
        case ContestTag::Zelk:
            text.Tag("CONTEST", "ZELK");
            break;
        case ContestTag::ZelkLowerCase:
            text.Tag("CONTEST", "zelk");
            break;
        case ContestTag::Missing:
            break;
        case ContestTag::Other:
            text.Tag("CONTEST", kOtherContest);
            break;
    }
    text.Tag("CALLSIGN", call);
    if (version2) {
        text.Tag("CATEGORY", setup.categoryLine);
        return;
    }
    const bool written = setup.categoryText != CategoryText::Missing;
    auto tag = [&](std::string_view name, const std::string& value) {
        text.Tag(name, setup.categoryText == CategoryText::MixedCase ? MixedCase(value) : value);
    };
    if (written) {
        tag("CATEGORY-OPERATOR", setup.categoryOperator);
        tag("CATEGORY-BAND", setup.categoryBand);
    }
    text.Tag("CATEGORY-MODE", "CW");
    if (written) {
        tag("CATEGORY-POWER", setup.categoryPower);
    }
    if (plugin || (written && (setup.categoryTransmitter != "ONE" ||
                               setup.categoryText == CategoryText::MixedCase))) {
        tag("CATEGORY-TRANSMITTER", setup.categoryTransmitter);
    }
}

// A coordinate written with a letter lost, so that no coordinate is left:
// the latitude's N or S ("5537O"), or the longitude's O typed as a zero
// ("55N370") or W left out ("33S70").
std::string BrokenCoordinate(std::string_view text, uint8_t at) {
    std::string broken(text);
    if (at == 0) {
        broken.erase(broken.find_first_of("NS"), 1);
    } else if (broken.back() == 'O') {
        broken.back() = '0';
    } else {
        broken.pop_back();
    }
    return broken;
}

}  // namespace

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
    if (side.broken == Broken::ReceivedCoordinate) {
        f.receivedCoordinate = BrokenCoordinate(f.receivedCoordinate, side.breakAt);
    } else if (side.broken == Broken::SentCoordinate) {
        f.ownCoordinate = BrokenCoordinate(f.ownCoordinate, side.breakAt);
    }
    return f;
}

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

std::string WriteCabrillo(const Model& model, uint32_t station,
                          const std::vector<uint32_t>& entries, const WriterStyle& style,
                          ContestTag contest, int64_t claimedScore, const ContestClock& clock,
                          std::vector<uint32_t>& lineNumbers) {
    const std::string& call = model.HeaderCall(station);
    const std::string score = std::to_string(claimedScore);
    const bool plugin = style.layout == WriterStyle::Layout::PluginColumns;
    CabrilloText text(style);
    text.Reserve(1024 + entries.size() * 96);
    WriteHeadTags(text, model.setups[station], contest, call, plugin);
    if (plugin) {
        // The plug-in's header, every tag in its order, unset ones empty.
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
        const Side& side = model.SideOf(entry);
        lineNumbers.push_back(text.NextLine());
        std::string_view time = clock.Time(side.minute);
        std::string colon;
        if (side.broken == Broken::Time) {  // "07:00"
            colon = std::string(time.substr(0, 2)) + ":" + std::string(time.substr(2));
            time = colon;
        }
        text.Qso(FieldsOf(model, entry), clock.Date(side.minute), time);
    }
    text.EndOfLog();
    return text.Take();
}

std::string WriteOtherContestLog(const Model& model, uint32_t station, const WriterStyle& style,
                                 const ContestClock& clock, Random& random) {
    constexpr int32_t kFortnight = 14 * 1440;
    constexpr int kZones = 40;
    auto zone = [](const Station& s) { return std::to_string(1 + (s.longitude + 180) % kZones); };
    const Station& own = model.stations[station];
    CabrilloText text(style);
    text.Tag("START-OF-LOG", "3.0");
    text.Tag("CONTEST", kOtherContest);
    text.Tag("CALLSIGN", own.call);
    text.Tag("CATEGORY-OPERATOR", "SINGLE-OP");
    text.Tag("CATEGORY-BAND", "ALL");
    text.Tag("CATEGORY-MODE", "CW");
    text.Tag("CATEGORY-POWER", "LOW");
    text.Tag("CLAIMED-SCORE", std::to_string(100 + random.Below(5000)));
    text.Tag("CREATED-BY", kSimulatorCreatedBy);
    const uint32_t lines = 5 + random.Below(8);
    int32_t minute = static_cast<int32_t>(random.Below(600)) - kFortnight;
    const char separator = style.layout == WriterStyle::Layout::Tabs ? '\t' : ' ';
    for (uint32_t i = 0; i < lines; ++i) {
        const auto bands = static_cast<uint32_t>(model.parameters.bandsKHz.size());
        const int32_t freq = model.parameters.bandsKHz[random.Below(bands)] + kFreqSpreadKHz +
                             static_cast<int32_t>(random.Below(kCwSegmentKHz - 2 * kFreqSpreadKHz));
        uint32_t worked = random.Below(static_cast<uint32_t>(model.stations.size()));
        worked = worked == station ? (worked + 1) % model.stations.size() : worked;
        const std::string frequency = std::to_string(freq);
        const std::string ownZone = zone(own);
        const std::string workedZone = zone(model.stations[worked]);
        std::string fields;
        for (std::string_view field :
             {std::string_view(frequency), std::string_view("CW"), clock.Date(minute),
              clock.Time(minute), std::string_view(own.call), kCwReport, std::string_view(ownZone),
              std::string_view(model.stations[worked].call), kCwReport,
              std::string_view(workedZone)}) {
            fields += fields.empty() ? "" : std::string(1, separator);
            fields += field;
        }
        text.OtherQso(fields);
        minute += 1 + static_cast<int32_t>(random.Below(30));
    }
    text.EndOfLog();
    return text.Take();
}

}  // namespace zelk::sim
