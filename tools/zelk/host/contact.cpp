// ADIF record to host arguments. Empty fields count as absent, so a logger
// that writes <STX_STRING:0> still falls back to STX.
#include "host/contact.h"
#include "logfile/bands.h"
#include "text/text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace zelk::host {

namespace {

constexpr ZelkOleDateTime kNullTime{0.0, kZelkDateTimeNull};
constexpr ZelkOleDateTime kInvalidTime{0.0, kZelkDateTimeInvalid};
constexpr uint64_t kHertzPerMegahertz = 1'000'000;

// The fields the mapping reads: a fault in one of them skips the contact, a
// fault in any other field is only warned about.
constexpr std::array<std::string_view, 14> kUsedFields{
    "STATION_CALLSIGN", "OPERATOR", "CALL",       "QSO_DATE", "TIME_ON",    "MODE", "RST_SENT",
    "RST_RCVD",         "STX",      "STX_STRING", "SRX",      "SRX_STRING", "FREQ", "BAND"};

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

template <typename Number>
Number DigitsValue(std::string_view digits) {
    Number value{};
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

// The first of the named fields that holds a value.
const logfile::AdifField* FirstGiven(const logfile::AdifRecord& record,
                                     std::initializer_list<std::string_view> names) {
    for (std::string_view name : names) {
        const logfile::AdifField* field = record.Find(name);
        if (field != nullptr && !field->value.empty()) {
            return field;
        }
    }
    return nullptr;
}

logfile::AdifNote About(std::size_t number, const logfile::AdifField& field, std::string message) {
    return logfile::AdifNote{number, field.offset, std::move(message), field.name};
}

std::string Quoted(std::string_view value) {
    return "'" + Printable(value) + "'";
}

bool UsesField(std::string_view name, const MappingOptions& options) {
    return name == options.groupField ||
           std::find(kUsedFields.begin(), kUsedFields.end(), name) != kUsedFields.end();
}

// A coordinate as the contest writes it, read loosely for comparison:
// latitude, N or S, longitude, O (or E) or W, in any case.
struct Coordinate {
    int latitude = 0;
    char northSouth = 0;
    int longitude = 0;
    char eastWest = 0;
    bool operator==(const Coordinate&) const = default;
};

std::optional<Coordinate> ReadCoordinate(std::string_view text) {
    Coordinate coordinate;
    auto degreesThen = [&text](std::size_t most, int& degrees, char& letter,
                               std::string_view letters) {
        std::size_t digits = 0;
        while (digits < text.size() && digits < most &&
               std::isdigit(static_cast<unsigned char>(text[digits]))) {
            ++digits;
        }
        if (digits == 0 || digits == text.size()) {
            return false;
        }
        letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[digits])));
        if (letters.find(letter) == std::string_view::npos) {
            return false;
        }
        degrees = DigitsValue<int>(text.substr(0, digits));
        text.remove_prefix(digits + 1);
        return true;
    };
    if (!degreesThen(2, coordinate.latitude, coordinate.northSouth, "NS") ||
        !degreesThen(3, coordinate.longitude, coordinate.eastWest, "OEW") || !text.empty()) {
        return std::nullopt;
    }
    if (coordinate.eastWest == 'E') {
        coordinate.eastWest = 'O';
    }
    return coordinate;
}

// STX_STRING as loggers write it: the serial alone ("001"), or the whole sent
// exchange with the coordinate ("001 50N30O", or "00150N30O" split as the
// plug-in splits a received exchange: the latitude's two digits before the
// first N, else S).
struct SentExchange {
    std::string serial;
    std::string coordinate;
};

SentExchange SplitSentExchange(std::string_view text) {
    SentExchange sent;
    text = Trim(text);
    while (!text.empty()) {
        const std::string_view word = text.substr(0, text.find_first_of(" \t\r\n"));
        text = Trim(text.substr(word.size()));
        if (sent.coordinate.empty() && ReadCoordinate(word)) {
            sent.coordinate = std::string(word);
        } else {
            sent.serial += (sent.serial.empty() ? "" : " ") + std::string(word);
        }
    }
    if (sent.coordinate.empty() && sent.serial.find(' ') == std::string::npos) {
        std::size_t letter = sent.serial.find('N');
        if (letter == std::string::npos) {
            letter = sent.serial.find('S');
        }
        if (letter != std::string::npos && letter >= 3 && letter <= 6 &&
            ReadCoordinate(std::string_view(sent.serial).substr(letter - 2))) {
            sent.coordinate = sent.serial.substr(letter - 2);
            sent.serial.resize(letter - 2);
        }
    }
    return sent;
}

// A serial number as the host is handed it: at least three digits.
std::optional<std::string> SerialText(std::string_view digits) {
    digits = Trim(digits);
    if (!IsDigits(digits) || digits.size() > 9) {
        return std::nullopt;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%03u", DigitsValue<unsigned>(digits));
    return std::string(text);
}

// Whether reading a number meant in kHz or Hz as MHz explains why it lies in
// no band: divided back, it lands in one below the last.
const char* MisreadUnit(uint64_t hertz) {
    const auto inBand = [](uint64_t candidate) {
        const logfile::Band* band = logfile::BandOf(candidate);
        return band != nullptr && !logfile::IsSubmillimetre(*band);
    };
    if (inBand(hertz / 1000)) {
        return "kHz";
    }
    if (inBand(hertz / kHertzPerMegahertz)) {
        return "Hz";
    }
    return nullptr;
}

// The hertz handed to the host. Above its 32 bits (the 6 cm band and up,
// where no band edge fits either) it is handed 0, which no Cabrillo reader
// takes for a real frequency; the group keeps the true megahertz.
uint32_t HostHertz(uint64_t hertz, std::size_t number, const logfile::AdifField& field,
                   const std::string& what, std::vector<logfile::AdifNote>& warnings) {
    if (hertz <= kHostHertzLimit) {
        return static_cast<uint32_t>(hertz);
    }
    warnings.push_back(About(number, field,
                             what +
                                 " is above 4294.967295 MHz, the most the host's 32-bit "
                                 "hertz carry: scored in group " +
                                 logfile::BandGroup(hertz / 1000) +
                                 ", handed to the plug-in as 0 Hz (its Cabrillo line shows "
                                 "frequency 0)"));
    return 0;
}

}  // namespace

ZelkOleDateTime OleDateTime(int year, unsigned month, unsigned day, int hour, int minute,
                            int second) {
    using namespace std::chrono;
    const year_month_day date{std::chrono::year{year}, std::chrono::month{month},
                              std::chrono::day{day}};
    if (!date.ok() || year < 1900 || year > 9999 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 59) {
        return kInvalidTime;
    }
    constexpr sys_days kEpoch{std::chrono::year{1899} / December / 30};
    const double days = static_cast<double>((sys_days{date} - kEpoch).count());
    return ZelkOleDateTime{days + (hour * 3600 + minute * 60 + second) / 86400.0,
                           kZelkDateTimeValid};
}

ZelkOleDateTime ContactTime(std::string_view qsoDate, std::string_view timeOn) {
    qsoDate = Trim(qsoDate);
    timeOn = Trim(timeOn);
    if (qsoDate.empty()) {
        return kNullTime;
    }
    if (qsoDate.size() != 8 || !IsDigits(qsoDate) ||
        !(timeOn.empty() || ((timeOn.size() == 4 || timeOn.size() == 6) && IsDigits(timeOn)))) {
        return kInvalidTime;
    }
    const int hour = timeOn.empty() ? 0 : DigitsValue<int>(timeOn.substr(0, 2));
    const int minute = timeOn.empty() ? 0 : DigitsValue<int>(timeOn.substr(2, 2));
    const int second = timeOn.size() == 6 ? DigitsValue<int>(timeOn.substr(4, 2)) : 0;
    return OleDateTime(DigitsValue<int>(qsoDate.substr(0, 4)),
                       DigitsValue<unsigned>(qsoDate.substr(4, 2)),
                       DigitsValue<unsigned>(qsoDate.substr(6, 2)), hour, minute, second);
}

std::optional<ZelkOleDateTime> ParseIsoDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !IsDigits(text.substr(0, 4)) ||
        !IsDigits(text.substr(5, 2)) || !IsDigits(text.substr(8, 2))) {
        return std::nullopt;
    }
    const ZelkOleDateTime date =
        OleDateTime(DigitsValue<int>(text.substr(0, 4)), DigitsValue<unsigned>(text.substr(5, 2)),
                    DigitsValue<unsigned>(text.substr(8, 2)));
    if (date.m_status != kZelkDateTimeValid) {
        return std::nullopt;
    }
    return date;
}

std::optional<uint64_t> MegahertzToHertz(std::string_view megahertz) {
    megahertz = Trim(megahertz);
    const std::size_t point = megahertz.find('.');
    const std::string_view whole = megahertz.substr(0, point);
    std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : megahertz.substr(point + 1);
    // Twelve digits of megahertz stay far inside 64 bits of hertz.
    if ((whole.empty() && fraction.empty()) || (!whole.empty() && !IsDigits(whole)) ||
        (!fraction.empty() && !IsDigits(fraction)) || whole.size() > 12) {
        return std::nullopt;
    }
    // Digits below one hertz are dropped, as the host's whole hertz would.
    std::string hertzDigits(fraction.substr(0, 6));
    hertzDigits.resize(6, '0');
    return (whole.empty() ? 0 : DigitsValue<uint64_t>(whole)) * kHertzPerMegahertz +
           DigitsValue<uint64_t>(hertzDigits);
}

std::optional<uint64_t> BandLowerEdgeHz(std::string_view band) {
    const logfile::Band* known = logfile::BandNamed(band);
    return known != nullptr ? std::optional<uint64_t>(known->lowerHz) : std::nullopt;
}

std::string CoordinateText(double latitude, double longitude) {
    // As the plug-in takes its fallback: NaN is 0, and beyond the 32-bit
    // range the nearest limit.
    const auto degrees = [](double value) -> long long {
        if (std::isnan(value)) {
            return 0;
        }
        return static_cast<long long>(
            std::trunc(std::clamp(value, double(std::numeric_limits<int32_t>::min()),
                                  double(std::numeric_limits<int32_t>::max()))));
    };
    const long long lat = degrees(latitude);
    const long long lon = degrees(longitude);
    return std::to_string(std::llabs(lat)) + (lat < 0 ? "S" : "N") +
           std::to_string(std::llabs(lon)) + (lon < 0 ? "W" : "O");
}

std::variant<Contact, logfile::AdifNote> MapRecord(const logfile::AdifRecord& record,
                                                   std::size_t number,
                                                   const MappingOptions& options,
                                                   std::vector<logfile::AdifNote>& warnings) {
    for (logfile::AdifNote fault : record.faults) {
        fault.record = number;
        if (fault.field.empty() || UsesField(fault.field, options)) {
            return fault;
        }
        fault.message += "; the contact is kept, as zelk does not use this field";
        warnings.push_back(std::move(fault));
    }

    Contact contact;
    contact.record = number;

    const logfile::AdifField* own = FirstGiven(record, {"STATION_CALLSIGN", "OPERATOR"});
    contact.ownCall = own != nullptr ? own->value : options.fallbackCall;
    contact.call = record.Value("CALL");

    contact.time = ContactTime(record.Value("QSO_DATE"), record.Value("TIME_ON"));
    if (contact.time.m_status == kZelkDateTimeInvalid) {
        const logfile::AdifField& date = *record.Find("QSO_DATE");
        if (ContactTime(date.value, "").m_status == kZelkDateTimeInvalid) {
            return About(number, date, Quoted(date.value) + " is not a date YYYYMMDD");
        }
        const logfile::AdifField& time = *record.Find("TIME_ON");
        return About(number, time, Quoted(time.value) + " is not a time HHMM or HHMMSS");
    }

    // Mode names are an ADIF enumeration, which the format treats without
    // regard to case; the host always passes them in capitals.
    contact.mode = Upper(record.Value("MODE"));
    contact.rstSent = record.Value("RST_SENT");
    contact.rstRcvd = record.Value("RST_RCVD");

    // The plug-in adds the station coordinate to the sent serial itself, so
    // a coordinate in STX_STRING is left out.
    if (const logfile::AdifField* sentText = FirstGiven(record, {"STX_STRING"})) {
        const SentExchange sent = SplitSentExchange(sentText->value);
        contact.exchSent = SerialText(sent.serial).value_or(sent.serial);
        const auto written = ReadCoordinate(sent.coordinate);
        if (written && !options.stationCoordinate.empty() &&
            written != ReadCoordinate(options.stationCoordinate)) {
            warnings.push_back(About(number, *sentText,
                                     "sent coordinate " + Printable(sent.coordinate) +
                                         " differs from the station's " +
                                         options.stationCoordinate + ", which the plug-in sends"));
        }
    }
    if (contact.exchSent.empty()) {
        if (const logfile::AdifField* serial = FirstGiven(record, {"STX"})) {
            auto text = SerialText(serial->value);
            if (!text) {
                return About(number, *serial, Quoted(serial->value) + " is not a serial number");
            }
            contact.exchSent = *text;
        }
    }
    if (const logfile::AdifField* received = FirstGiven(record, {"SRX_STRING", "SRX"})) {
        contact.exchRcvd = received->value;
    }

    const logfile::AdifField* freq = FirstGiven(record, {"FREQ"});
    const logfile::AdifField* band = FirstGiven(record, {"BAND"});
    std::optional<uint64_t> hertz;
    if (freq != nullptr) {
        hertz = MegahertzToHertz(freq->value);
        if (!hertz) {
            return About(number, *freq, Quoted(freq->value) + " is not a frequency in MHz");
        }
        const logfile::Band* known = logfile::BandOf(*hertz);
        if (known == nullptr || logfile::IsSubmillimetre(*known)) {
            if (const char* unit = MisreadUnit(*hertz)) {
                return About(number, *freq,
                             Quoted(freq->value) + " MHz lies in no amateur band; it looks like " +
                                 unit + ", but ADIF frequencies are in MHz");
            }
        }
        if (known == nullptr) {
            warnings.push_back(
                About(number, *freq, Quoted(freq->value) + " MHz lies in no amateur band"));
        }
        contact.freqHz = HostHertz(*hertz, number, *freq, Quoted(freq->value) + " MHz", warnings);
    } else if (band != nullptr) {
        // Without a frequency the band's lower edge stands for it, so that the
        // band groups and the Cabrillo line still name the band.
        hertz = BandLowerEdgeHz(band->value);
        if (hertz) {
            contact.freqHz = HostHertz(*hertz, number, *band,
                                       "the lower edge of " + Quoted(band->value), warnings);
        } else {
            warnings.push_back(
                About(number, *band,
                      Quoted(band->value) + " is no ADIF band: grouped by its text, frequency 0"));
        }
    }

    if (!options.groupField.empty()) {
        contact.group = record.Value(options.groupField);
    } else if (hertz) {
        contact.group = logfile::BandGroup(*hertz / 1000);
    } else if (band != nullptr) {
        contact.group = band->value;
    }
    return contact;
}

}  // namespace zelk::host
