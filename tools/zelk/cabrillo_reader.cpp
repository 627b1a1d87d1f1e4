// The Cabrillo reader: the file split into lines in one pass, tag lines kept
// as views into the log's own copy of the bytes, QSO lines split into fields
// without allocating (the normalised exchanges live inside each QSO).
#include "cabrillo_reader.h"

#include <array>
#include <charconv>
#include <chrono>
#include <cstring>
#include <limits>

#include "log/intake.h"
#include "plugin/station_coordinate.h"
#include "text.h"

namespace zelk::host {

namespace {

constexpr std::size_t kMaxQsoLine = std::numeric_limits<uint16_t>::max();
constexpr std::size_t kMaxSerialDigits = 6;
constexpr std::size_t kMaxLatitudeDigits = 2;
constexpr std::size_t kMaxLongitudeDigits = 3;
constexpr std::size_t kMaxCoordinate = kMaxLatitudeDigits + 1 + kMaxLongitudeDigits + 1;
// The normalised exchange: the serial (zero-filled to three digits), a
// blank, the coordinate.
static_assert(sizeof CabrilloExchange::normalised >= kMaxSerialDigits + 1 + kMaxCoordinate);
// frequency mode date time own-call, sent (up to 3), call, received (up to
// 3), transmitter id.
constexpr std::size_t kMinQsoFields = 8;
constexpr std::size_t kMaxQsoFields = 13;

constexpr std::string_view kFieldNames =
    "(frequency, mode, date, time, call, exchange, call, exchange)";
constexpr std::string_view kExchangeForms =
    "[report] serial coordinate, e.g. 599 001 55N37O or 1255N37O";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsTagName(std::string_view name) {
    if (name.empty()) {
        return false;
    }
    for (char c : name) {
        const char u = AsciiUpper(c);
        if (!((u >= 'A' && u <= 'Z') || IsDigit(u) || u == '-' || u == '_')) {
            return false;
        }
    }
    return true;
}

// Every call sign has a letter; a field without one is a number out of place.
bool HasLetter(std::string_view field) {
    return field.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") != std::string_view::npos;
}

std::string Quoted(std::string_view text) {
    return "'" + Printable(text) + "'";
}

// The shape of a field that ends in a coordinate: digits, N or S, digits,
// O or W at its end; `whole` when nothing else comes before them.
struct CoordinateEnd {
    bool found = false;
    bool whole = false;
    std::size_t latitudeDigits = 0;  // every digit before N or S
    std::size_t longitudeDigits = 0;
};

CoordinateEnd FindCoordinateEnd(std::string_view field) {
    CoordinateEnd end;
    std::size_t i = field.size();
    if (i == 0 || (field[i - 1] != 'O' && field[i - 1] != 'W')) {
        return end;
    }
    --i;
    const std::size_t longitudeEnd = i;
    while (i > 0 && IsDigit(field[i - 1])) {
        --i;
    }
    end.longitudeDigits = longitudeEnd - i;
    if (end.longitudeDigits == 0 || i == 0 || (field[i - 1] != 'N' && field[i - 1] != 'S')) {
        return end;
    }
    --i;
    const std::size_t latitudeEnd = i;
    while (i > 0 && IsDigit(field[i - 1])) {
        --i;
    }
    end.latitudeDigits = latitudeEnd - i;
    end.found = end.latitudeDigits > 0;
    end.whole = end.found && i == 0;
    return end;
}

// ASCII letters to capitals in place, eight bytes at a time: every QSO line
// goes through here, and a byte-by-byte loop was an eighth of the reading.
void ToCapitals(char* bytes, std::size_t size) {
    constexpr uint64_t kOnes = 0x0101010101010101u;
    constexpr uint64_t kHighBits = 0x8080808080808080u;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        // Per byte, with its high bit clear: +0x80-'a' sets the high bit from
        // 'a' up, +0x7F-'z' from above 'z'; their difference marks 'a'..'z'.
        const uint64_t low7 = word & ~kHighBits;
        const uint64_t fromA = low7 + (0x80 - 'a') * kOnes;
        const uint64_t aboveZ = low7 + (0x7F - 'z') * kOnes;
        const uint64_t lower = (fromA ^ aboveZ) & ~word & kHighBits;
        word ^= lower >> 2;  // 0x80 >> 2 is the case bit, 0x20
        std::memcpy(bytes + i, &word, 8);
    }
    for (; i < size; ++i) {
        bytes[i] = AsciiUpper(bytes[i]);
    }
}

// A date yyyy-mm-dd as days since 1970-01-01; the last one is remembered,
// since a log's lines mostly share their date.
class DateReader {
  public:
    std::optional<int64_t> Days(std::string_view text) {
        if (text.size() == 10 && std::memcmp(text.data(), m_last, 10) == 0 && m_lastDays) {
            return m_lastDays;
        }
        if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
            return std::nullopt;
        }
        for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
            if (!IsDigit(text[i])) {
                return std::nullopt;
            }
        }
        auto number = [text](std::size_t at, std::size_t size) {
            int value = 0;
            for (std::size_t i = at; i < at + size; ++i) {
                value = value * 10 + (text[i] - '0');
            }
            return value;
        };
        using namespace std::chrono;
        const year_month_day date{year{number(0, 4)}, month{static_cast<unsigned>(number(5, 2))},
                                  day{static_cast<unsigned>(number(8, 2))}};
        if (!date.ok()) {
            return std::nullopt;
        }
        std::memcpy(m_last, text.data(), 10);
        m_lastDays = sys_days{date}.time_since_epoch().count();
        return m_lastDays;
    }

  private:
    char m_last[10] = {};
    std::optional<int64_t> m_lastDays;
};

std::optional<int> MinuteOfDay(std::string_view text) {
    if (text.size() != 4 || !IsDigit(text[0]) || !IsDigit(text[1]) || !IsDigit(text[2]) ||
        !IsDigit(text[3])) {
        return std::nullopt;
    }
    const int hour = (text[0] - '0') * 10 + (text[1] - '0');
    const int minute = (text[2] - '0') * 10 + (text[3] - '0');
    if (hour > 23 || minute > 59) {
        return std::nullopt;
    }
    return hour * 60 + minute;
}

std::optional<CabrilloMode> ModeOf(std::string_view text) {
    constexpr std::array<std::pair<std::string_view, CabrilloMode>, 5> kModes{{
        {"CW", CabrilloMode::kCw},
        {"PH", CabrilloMode::kPhone},
        {"FM", CabrilloMode::kFm},
        {"RY", CabrilloMode::kRtty},
        {"DG", CabrilloMode::kDigital},
    }};
    for (const auto& [code, mode] : kModes) {
        if (text.size() == 2 && text[0] == code[0] && text[1] == code[1]) {
            return mode;
        }
    }
    return std::nullopt;
}

// The QSO line being split: its fields as spans of the line, and the first
// reason it cannot be read.
class QsoLineReader {
  public:
    QsoLineReader(std::string_view line, std::size_t valueBegin, DateReader& dates)
        : m_line(line), m_dates(dates) {
        for (std::size_t i = valueBegin; i < line.size();) {
            while (i < line.size() && IsBlank(line[i])) {
                ++i;
            }
            const std::size_t begin = i;
            while (i < line.size() && !IsBlank(line[i])) {
                ++i;
            }
            if (i > begin) {
                if (m_count < m_fields.size()) {
                    m_fields[m_count] = {static_cast<uint16_t>(begin),
                                         static_cast<uint16_t>(i - begin)};
                }
                ++m_count;
            }
        }
    }

    // Fills the QSO; on failure returns the reason.
    std::optional<std::string> Read(std::string_view tag, CabrilloQso& qso) {
        if (m_count < kMinQsoFields) {
            return std::string(tag) + ": has " + std::to_string(m_count) +
                   " fields, a QSO needs at least " + std::to_string(kMinQsoFields) + " " +
                   std::string(kFieldNames);
        }
        if (m_count > kMaxQsoFields) {
            return std::string(tag) + ": has " + std::to_string(m_count) +
                   " fields, a QSO has at most " + std::to_string(kMaxQsoFields) +
                   " (three to an exchange, and a transmitter id)";
        }
        if (auto problem = ReadFrequency(qso)) {
            return problem;
        }
        const std::string_view mode = Field(1);
        const std::optional<CabrilloMode> code = ModeOf(mode);
        if (!code) {
            return "mode " + Quoted(mode) + " is not CW, PH, FM, RY or DG";
        }
        qso.mode = *code;
        const std::optional<int64_t> days = m_dates.Days(Field(2));
        if (!days) {
            return "date " + Quoted(Field(2)) + " is not a date yyyy-mm-dd";
        }
        const std::optional<int> minute = MinuteOfDay(Field(3));
        if (!minute) {
            return "time " + Quoted(Field(3)) + " is not a time hhmm";
        }
        if (!HasLetter(Field(4))) {
            return "own call " + Quoted(Field(4)) + " has no letter";
        }
        qso.minutes = *days * 1440 + *minute;
        qso.date = m_fields[2];
        qso.time = m_fields[3];
        qso.ownCall = m_fields[4];

        const std::size_t sentEnd = NextCoordinateEnd(5);
        if (sentEnd == m_count) {
            return "no coordinate (degrees, N or S, degrees, O or W) after the own call " +
                   Quoted(Field(4));
        }
        if (auto problem = ReadExchange("sent", 5, sentEnd, qso.sent)) {
            return problem;
        }
        const std::size_t callAt = sentEnd + 1;
        if (callAt == m_count) {
            return std::string("no call after the sent exchange");
        }
        const std::string_view call = Field(callAt);
        if (!HasLetter(call)) {
            return "call " + Quoted(call) + " after the sent exchange has no letter";
        }
        qso.call = m_fields[callAt];
        const std::size_t receivedEnd = NextCoordinateEnd(callAt + 1);
        if (receivedEnd == m_count) {
            return "no coordinate (degrees, N or S, degrees, O or W) after the call " +
                   Quoted(call);
        }
        if (auto problem = ReadExchange("received", callAt + 1, receivedEnd, qso.received)) {
            return problem;
        }
        const std::size_t rest = receivedEnd + 1;
        if (rest + 1 == m_count && (Field(rest) == "0" || Field(rest) == "1")) {
            qso.transmitter = static_cast<int8_t>(Field(rest)[0] - '0');
        } else if (rest < m_count) {
            return Quoted(Span(rest, m_count)) +
                   " after the received exchange; only a transmitter id (0 or 1) may follow it";
        }
        return std::nullopt;
    }

  private:
    std::string_view Field(std::size_t i) const {
        return m_line.substr(m_fields[i].begin, m_fields[i].size);
    }
    // Fields first..last-1 as they stand in the line.
    std::string_view Span(std::size_t first, std::size_t last) const {
        const std::size_t begin = m_fields[first].begin;
        return m_line.substr(begin, m_fields[last - 1].begin + m_fields[last - 1].size - begin);
    }

    std::size_t NextCoordinateEnd(std::size_t from) const {
        for (std::size_t i = from; i < m_count; ++i) {
            if (FindCoordinateEnd(Field(i)).found) {
                return i;
            }
        }
        return m_count;
    }

    std::optional<std::string> ReadFrequency(CabrilloQso& qso) {
        const std::string_view text = Field(0);
        qso.frequency = m_fields[0];
        const std::string_view whole = text.substr(0, text.find('.'));
        const bool decimal =
            !whole.empty() && IsDigits(whole) &&
            (whole.size() == text.size() || IsDigits(text.substr(whole.size() + 1)));
        uint32_t kHz = 0;
        if (decimal) {
            const auto [end, error] =
                std::from_chars(whole.data(), whole.data() + whole.size(), kHz);
            if (error != std::errc()) {
                return "frequency " + Quoted(text) + " is too large for kHz";
            }
        }
        // 50 ... 902 name bands; no amateur band lies at those kHz.
        if (!decimal || (whole.size() == text.size() && kHz < 1000)) {
            const BandIndex band = BandOfDesignator(text);
            if (band != kNoBand) {
                qso.band = band;
                qso.freqKHz = 0;
                return std::nullopt;
            }
        }
        if (!decimal) {
            return "frequency " + Quoted(text) +
                   " is neither kHz nor a band designator (50, 70, 144, 222, 432, 902, 1.2G, "
                   "2.3G, 3.4G, 5.7G, 10G, 24G, 47G, 75G, 122G, 134G, 241G, LIGHT)";
        }
        if (kHz == 0) {
            return "frequency " + Quoted(text) + " is no frequency";
        }
        qso.freqKHz = kHz;
        qso.band = BandOfKHz(kHz);
        return std::nullopt;
    }

    // Fields first..last (last ends in a coordinate) as one exchange.
    std::optional<std::string> ReadExchange(std::string_view which, std::size_t first,
                                            std::size_t last, CabrilloExchange& exchange) {
        const std::size_t count = last - first + 1;
        auto bad = [&](std::string_view why) {
            return std::string(which) + " exchange " + Quoted(Span(first, last + 1)) + " " +
                   std::string(why);
        };
        if (count > 3) {
            return bad("is not " + std::string(kExchangeForms));
        }
        const LineSpan tail = m_fields[last];
        const std::string_view tailText = Field(last);
        const CoordinateEnd shape = FindCoordinateEnd(tailText);
        if (!shape.whole) {
            return bad("ends in " + Quoted(tailText) +
                       ", which is not degrees, N or S, degrees, O or W");
        }
        if (shape.longitudeDigits > kMaxLongitudeDigits) {
            return bad("has a longitude of more than three digits");
        }
        std::size_t coordinateSize = tailText.size();
        std::string typedStored;
        if (shape.latitudeDigits <= kMaxLatitudeDigits) {
            // serial coordinate, or report serial coordinate
            if (count == 1) {
                return bad("has no serial number");
            }
            exchange.serialText = m_fields[last - 1];
            if (count == 3) {
                exchange.report = m_fields[first];
            }
        } else {
            // typed: serial and coordinate in one field, split by the plug-in's rule
            if (count == 3) {
                return bad("is not " + std::string(kExchangeForms));
            }
            typedStored = NormaliseReceivedExchange(tailText);
            const std::size_t blank = typedStored.find(' ');
            if (blank == std::string::npos) {
                return bad(
                    "does not split into serial and coordinate; a serial of more than "
                    "four digits needs a blank before the coordinate");
            }
            coordinateSize = typedStored.size() - blank - 1;
            exchange.serialText = {tail.begin,
                                   static_cast<uint16_t>(tailText.size() - coordinateSize)};
            if (count == 2) {
                exchange.report = m_fields[first];
            }
        }
        if (exchange.report.size != 0) {
            const std::string_view report =
                m_line.substr(exchange.report.begin, exchange.report.size);
            if (report.size() > 4 ||
                !(IsDigit(report[0]) || report[0] == '+' || report[0] == '-')) {
                return bad("has " + Quoted(report) + " where a signal report or serial belongs");
            }
        }
        exchange.coordinate = {static_cast<uint16_t>(tail.begin + tailText.size() - coordinateSize),
                               static_cast<uint16_t>(coordinateSize)};
        const std::string_view serial =
            m_line.substr(exchange.serialText.begin, exchange.serialText.size);
        if (!IsDigits(serial)) {
            return bad("has the serial " + Quoted(serial) + ", which is not a number");
        }
        if (serial.size() > kMaxSerialDigits) {
            return bad("has a serial of more than six digits");
        }
        std::from_chars(serial.data(), serial.data() + serial.size(), exchange.serial);
        const std::string_view coordinate =
            m_line.substr(exchange.coordinate.begin, exchange.coordinate.size);
        const Coordinate position = ParseCoordinate(coordinate);
        exchange.latitude = position.latitude;
        exchange.longitude = position.longitude;
        StoreNormalised(serial, coordinate, std::move(typedStored), exchange);
        return std::nullopt;
    }

    // `typedStored` is the plug-in's form of the typed field, when the
    // exchange was one.
    static void StoreNormalised(std::string_view serial, std::string_view coordinate,
                                std::string typedStored, CabrilloExchange& exchange) {
        char typed[kMaxSerialDigits + 1 + kMaxCoordinate];
        std::memcpy(typed, serial.data(), serial.size());
        std::memcpy(typed + serial.size(), coordinate.data(), coordinate.size());
        std::string stored = typedStored.empty() ? NormaliseReceivedExchange(std::string_view(
                                                       typed, serial.size() + coordinate.size()))
                                                 : std::move(typedStored);
        const bool splitsAgain = stored.size() > coordinate.size() &&
                                 stored.ends_with(coordinate) &&
                                 stored[stored.size() - coordinate.size() - 1] == ' ';
        if (!splitsAgain) {
            typed[serial.size()] = ' ';
            std::memcpy(typed + serial.size() + 1, coordinate.data(), coordinate.size());
            stored = NormaliseReceivedExchange(
                std::string_view(typed, serial.size() + 1 + coordinate.size()));
        }
        exchange.normalisedSize =
            static_cast<uint8_t>(std::min(stored.size(), sizeof exchange.normalised));
        std::memcpy(exchange.normalised, stored.data(), exchange.normalisedSize);
    }

    std::string_view m_line;
    DateReader& m_dates;
    std::array<LineSpan, kMaxQsoFields + 1> m_fields;  // the first m_count of them
    std::size_t m_count = 0;
};

// The position of the next line end at or after `from`, remembered so that
// a file with only CR (or only LF) ends is still read in one pass.
class LineEnds {
  public:
    explicit LineEnds(std::string_view text)
        : m_text(text), m_nextLf(Find('\n', 0)), m_nextCr(Find('\r', 0)) {}

    std::size_t Next(std::size_t from) {
        if (m_nextLf < from) {
            m_nextLf = Find('\n', from);
        }
        if (m_nextCr < from) {
            m_nextCr = Find('\r', from);
        }
        return std::min(m_nextLf, m_nextCr);
    }

  private:
    std::size_t Find(char c, std::size_t from) const {
        const void* hit = std::memchr(m_text.data() + from, c, m_text.size() - from);
        return hit == nullptr
                   ? m_text.size()
                   : static_cast<std::size_t>(static_cast<const char*>(hit) - m_text.data());
    }

    std::string_view m_text;
    std::size_t m_nextLf;
    std::size_t m_nextCr;
};

std::optional<std::string> NotCabrilloReason(std::string_view bytes) {
    if (bytes.find_first_not_of(" \t\r\n\f\v") == std::string_view::npos) {
        return "the file is empty";
    }
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        return "the file is UTF-16 text; a Cabrillo log is plain text (ASCII)";
    }
    if (const void* zero = std::memchr(bytes.data(), '\0', bytes.size())) {
        return "the file holds binary data (a zero byte at byte " +
               std::to_string(static_cast<const char*>(zero) - bytes.data()) + "), not text";
    }
    return std::nullopt;
}

bool LooksLikeAdif(std::string_view bytes) {
    const std::string upper = Upper(bytes.substr(0, 1 << 16));
    return upper.find("<EOH>") != std::string::npos || upper.find("<EOR>") != std::string::npos ||
           upper.find("<CALL:") != std::string::npos;
}

std::variant<CabrilloLog, NotCabrillo> Read(std::shared_ptr<std::string> storage) {
    std::string& text = *storage;
    if (auto reason = NotCabrilloReason(text)) {
        return NotCabrillo{std::move(*reason)};
    }
    CabrilloLog log;
    log.qsos.reserve(text.size() / 80);
    DateReader dates;
    LineEnds ends(text);
    std::size_t pos = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    uint32_t number = 0;
    while (pos < text.size() && log.endLine == 0) {
        const std::size_t end = ends.Next(pos);
        ++number;
        const std::size_t lineBegin = pos;
        pos = end + (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n' ? 2 : 1);
        std::string_view line(text.data() + lineBegin, end - lineBegin);

        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos) {
            continue;  // a blank line
        }
        const std::size_t colon = line.find(':', first);
        const std::string_view name = colon == std::string_view::npos
                                          ? std::string_view()
                                          : TrimBlanks(line.substr(first, colon - first));
        const bool isTag = IsTagName(name);
        if (isTag) {
            // The copy is ours: tag names are kept in capitals in place.
            char* letters = text.data() + (name.data() - text.data());
            for (std::size_t i = 0; i < name.size(); ++i) {
                letters[i] = AsciiUpper(letters[i]);
            }
        }
        if (log.startLine == 0) {
            if (isTag && name == "START-OF-LOG") {
                log.startLine = number;
                log.tags.push_back({name, TrimBlanks(line.substr(colon + 1)), number});
            }
            continue;
        }
        if (!isTag) {
            log.unreadable.push_back(
                {number,
                 colon == std::string_view::npos
                     ? "no tag: a Cabrillo line is TAG: value, not " + Quoted(line.substr(first))
                     : Quoted(line.substr(first, colon - first)) + " is not a tag"});
            continue;
        }
        const bool xQso = name == "X-QSO";
        if (name == "QSO" || xQso) {
            if (line.size() > kMaxQsoLine) {
                log.unreadable.push_back({number, std::string(name) + ": the line is " +
                                                      std::to_string(line.size()) +
                                                      " bytes long; a QSO line has at most " +
                                                      std::to_string(kMaxQsoLine)});
                continue;
            }
            ToCapitals(text.data() + lineBegin + colon + 1, line.size() - colon - 1);
            CabrilloQso& qso = log.qsos.emplace_back();
            qso.line = line;
            qso.lineNumber = number;
            qso.xQso = xQso;
            QsoLineReader reader(line, colon + 1, dates);
            if (auto problem = reader.Read(xQso ? "X-QSO" : "QSO", qso)) {
                log.qsos.pop_back();
                log.unreadable.push_back({number, std::move(*problem)});
            }
            continue;
        }
        if (name == "START-OF-LOG") {
            log.unreadable.push_back(
                {number, "a second START-OF-LOG: inside the log (the first is on line " +
                             std::to_string(log.startLine) + ")"});
            continue;
        }
        if (name == "END-OF-LOG") {
            log.endLine = number;
        }
        log.tags.push_back({name, TrimBlanks(line.substr(colon + 1)), number});
    }
    if (log.startLine == 0) {
        return NotCabrillo{LooksLikeAdif(text)
                               ? "the file is an ADIF log (it has <EOH>, <EOR> or <CALL:...>), "
                                 "not a Cabrillo log"
                               : "the file has no START-OF-LOG: line; a Cabrillo log starts "
                                 "with one"};
    }
    log.text = std::move(storage);
    return log;
}

}  // namespace

std::string_view ModeCode(CabrilloMode mode) {
    switch (mode) {
        case CabrilloMode::kCw:
            return "CW";
        case CabrilloMode::kPhone:
            return "PH";
        case CabrilloMode::kFm:
            return "FM";
        case CabrilloMode::kRtty:
            return "RY";
        case CabrilloMode::kDigital:
            return "DG";
    }
    return {};
}

std::string UnreadableLine::Describe() const {
    return "line " + std::to_string(line) + ": " + reason;
}

std::string_view CabrilloLog::Value(std::string_view tag) const {
    for (const CabrilloTag& t : tags) {
        if (t.name == tag) {
            return t.value;
        }
    }
    return {};
}

std::vector<std::string_view> CabrilloLog::Values(std::string_view tag) const {
    std::vector<std::string_view> values;
    for (const CabrilloTag& t : tags) {
        if (t.name == tag) {
            values.push_back(t.value);
        }
    }
    return values;
}

std::string_view CabrilloLog::Category(std::string_view kind) const {
    for (const CabrilloTag& t : tags) {
        if (t.name.size() == 9 + kind.size() && t.name.starts_with("CATEGORY-") &&
            t.name.ends_with(kind)) {
            return t.value;
        }
    }
    return {};
}

std::vector<std::string_view> CabrilloLog::Operators() const {
    std::vector<std::string_view> calls;
    for (std::string_view value : Values("OPERATORS")) {
        while (!value.empty()) {
            const std::size_t begin = value.find_first_not_of(" \t,");
            if (begin == std::string_view::npos) {
                break;
            }
            value.remove_prefix(begin);
            const std::size_t end = std::min(value.find_first_of(" \t,"), value.size());
            calls.push_back(value.substr(0, end));
            value.remove_prefix(end);
        }
    }
    return calls;
}

std::optional<int64_t> CabrilloLog::ClaimedScore() const {
    const std::string_view value = Value("CLAIMED-SCORE");
    int64_t score = 0;
    if (!IsDigits(value) ||
        std::from_chars(value.data(), value.data() + value.size(), score).ec != std::errc()) {
        return std::nullopt;
    }
    return score;
}

std::variant<CabrilloLog, NotCabrillo> ReadCabrillo(std::string_view bytes) {
    return Read(std::make_shared<std::string>(bytes));
}

std::variant<CabrilloLog, NotCabrillo> ReadCabrillo(std::string&& bytes) {
    return Read(std::make_shared<std::string>(std::move(bytes)));
}

}  // namespace zelk::host
