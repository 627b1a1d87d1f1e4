// ADIF record to host arguments. Empty fields count as absent, so a logger
// that writes <STX_STRING:0> still falls back to STX.
#include "contact.h"
#include "text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <limits>

namespace zelk::host {

namespace {

constexpr ZelkOleDateTime kNullTime{0.0, kZelkDateTimeNull};
constexpr ZelkOleDateTime kInvalidTime{0.0, kZelkDateTimeInvalid};

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
const AdifField* FirstGiven(const AdifRecord& record,
                            std::initializer_list<std::string_view> names) {
    for (std::string_view name : names) {
        const AdifField* field = record.Find(name);
        if (field != nullptr && !field->value.empty()) {
            return field;
        }
    }
    return nullptr;
}

// ADIF bands by their lower edge, for logs that give a band but no frequency.
struct Band {
    std::string_view name;
    uint32_t lowerEdgeKHz;
};
constexpr std::array kBands{
    Band{"2190M", 135},   Band{"630M", 472},     Band{"560M", 501},     Band{"160M", 1800},
    Band{"80M", 3500},    Band{"60M", 5060},     Band{"40M", 7000},     Band{"30M", 10100},
    Band{"20M", 14000},   Band{"17M", 18068},    Band{"15M", 21000},    Band{"12M", 24890},
    Band{"10M", 28000},   Band{"8M", 40000},     Band{"6M", 50000},     Band{"5M", 54000},
    Band{"4M", 70000},    Band{"2M", 144000},    Band{"1.25M", 222000}, Band{"70CM", 420000},
    Band{"33CM", 902000}, Band{"23CM", 1240000}, Band{"13CM", 2300000},
};

std::optional<uint32_t> BandLowerEdgeHz(std::string_view band) {
    const std::string upper = Upper(Trim(band));
    for (const Band& known : kBands) {
        if (known.name == upper) {
            return known.lowerEdgeKHz * 1000u;
        }
    }
    return std::nullopt;
}

AdifError FieldError(std::size_t number, const AdifField& field, const std::string& problem) {
    return AdifError{number, field.offset, field.name + " '" + field.value + "' " + problem};
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

std::optional<uint32_t> MegahertzToHertz(std::string_view megahertz) {
    megahertz = Trim(megahertz);
    const std::size_t point = megahertz.find('.');
    const std::string_view whole = megahertz.substr(0, point);
    std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : megahertz.substr(point + 1);
    if ((whole.empty() && fraction.empty()) || (!whole.empty() && !IsDigits(whole)) ||
        (!fraction.empty() && !IsDigits(fraction)) || whole.size() > 6) {
        return std::nullopt;
    }
    // Digits below one hertz are dropped, as the host's whole hertz would.
    std::string hertzDigits(fraction.substr(0, 6));
    hertzDigits.resize(6, '0');
    const uint64_t hertz = (whole.empty() ? 0 : DigitsValue<uint64_t>(whole)) * 1'000'000 +
                           DigitsValue<uint64_t>(hertzDigits);
    if (hertz > std::numeric_limits<uint32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(hertz);
}

std::variant<Contact, AdifError> MapRecord(const AdifRecord& record, std::size_t number,
                                           const MappingOptions& options) {
    Contact contact;
    contact.record = number;

    const AdifField* own = FirstGiven(record, {"STATION_CALLSIGN", "OPERATOR"});
    contact.ownCall = own != nullptr ? own->value : options.fallbackCall;
    contact.call = record.Value("CALL");
    contact.time = ContactTime(record.Value("QSO_DATE"), record.Value("TIME_ON"));
    // Mode names are an ADIF enumeration, which the format treats without
    // regard to case; the host always passes them in capitals.
    contact.mode = Upper(record.Value("MODE"));
    contact.rstSent = record.Value("RST_SENT");
    contact.rstRcvd = record.Value("RST_RCVD");

    if (const AdifField* sent = FirstGiven(record, {"STX_STRING"})) {
        contact.exchSent = sent->value;
    } else if (const AdifField* serial = FirstGiven(record, {"STX"})) {
        const std::string_view digits = Trim(serial->value);
        if (!IsDigits(digits) || digits.size() > 9) {
            return FieldError(number, *serial, "is not a serial number");
        }
        char text[16];
        std::snprintf(text, sizeof text, "%03u", DigitsValue<unsigned>(digits));
        contact.exchSent = text;
    }
    if (const AdifField* received = FirstGiven(record, {"SRX_STRING", "SRX"})) {
        contact.exchRcvd = received->value;
    }

    const AdifField* freq = FirstGiven(record, {"FREQ"});
    const AdifField* band = FirstGiven(record, {"BAND"});
    if (freq != nullptr) {
        auto hertz = MegahertzToHertz(freq->value);
        if (!hertz) {
            return FieldError(number, *freq,
                              "is not a frequency in MHz up to 4294.967295 (the host's limit)");
        }
        contact.freqHz = *hertz;
    } else if (band != nullptr) {
        // Without a frequency the band's lower edge stands for it, so that the
        // band groups and the Cabrillo line still name the band.
        contact.freqHz = BandLowerEdgeHz(band->value).value_or(0);
    }

    if (!options.groupField.empty()) {
        contact.group = record.Value(options.groupField);
    } else if (freq != nullptr || (band != nullptr && contact.freqHz != 0)) {
        contact.group = std::to_string(contact.freqHz / 1'000'000);
    } else if (band != nullptr) {
        contact.group = band->value;
    }
    return contact;
}

}  // namespace zelk::host
