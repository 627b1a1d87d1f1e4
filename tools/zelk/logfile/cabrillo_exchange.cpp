// Reading one exchange: its shape from the coordinate at its end backwards,
// then the serial and report before it.
#include "logfile/cabrillo_exchange.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "contest/coordinate.h"
#include "log/intake.h"
#include "logfile/cabrillo_qso_line.h"
#include "text/text.h"

namespace zelk::logfile {

namespace {

constexpr std::size_t kMaxSerialDigits = 6;
constexpr std::size_t kMaxLatitudeDigits = 2;
constexpr std::size_t kMaxLongitudeDigits = 3;
constexpr std::size_t kMaxCoordinate = kMaxLatitudeDigits + 1 + kMaxLongitudeDigits + 1;

constexpr std::string_view kExchangeForms =
    "[report] serial coordinate, e.g. 599 001 55N37O or 1255N37O";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The shape of a field that ends in a coordinate: digits, N or S, digits,
// O (or E, as English-language loggers write east) or W at its end; `whole`
// when nothing else comes before them.
struct CoordinateEnd {
    bool found = false;
    bool whole = false;
    std::size_t latitudeDigits = 0;  // every digit before N or S
    std::size_t longitudeDigits = 0;
};

CoordinateEnd FindCoordinateEnd(std::string_view field) {
    CoordinateEnd end;
    std::size_t i = field.size();
    if (i == 0 || (field[i - 1] != 'O' && field[i - 1] != 'E' && field[i - 1] != 'W')) {
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

// The degrees of a coordinate read (one or two digits, N or S, one to three
// digits, O, E or W), as the plug-in's ParseCoordinate reads them: the
// digits before the letter N or S, and those after it; no sign.
Coordinate CoordinateDegrees(std::string_view coordinate) {
    Coordinate degrees;
    int32_t* part = &degrees.latitude;
    for (char c : coordinate) {
        if (IsDigit(c)) {
            *part = *part * 10 + (c - '0');
        } else {
            part = &degrees.longitude;
        }
    }
    return degrees;
}

class ExchangeReader {
  public:
    ExchangeReader(std::string_view line, std::span<const LineSpan> fields, std::string_view which)
        : m_line(line), m_fields(fields), m_which(which) {}

    std::optional<std::string> Read(CabrilloExchange& exchange) const {
        const std::size_t count = m_fields.size();
        if (count > 3) {
            return Bad("is not " + std::string(kExchangeForms));
        }
        const LineSpan tail = m_fields.back();
        const std::string_view tailText = Text(tail);
        const CoordinateEnd shape = FindCoordinateEnd(tailText);
        if (!shape.whole) {
            return Bad("ends in " + Quoted(tailText) +
                       ", which is not degrees, N or S, degrees, O or W");
        }
        if (shape.longitudeDigits > kMaxLongitudeDigits) {
            return Bad("has a longitude of more than three digits");
        }
        std::size_t coordinateSize = tailText.size();
        if (shape.latitudeDigits <= kMaxLatitudeDigits) {
            // serial coordinate, or report serial coordinate
            if (count == 1) {
                return Bad("has no serial number");
            }
            exchange.serialText = m_fields[count - 2];
            if (count == 3) {
                exchange.report = m_fields[0];
            }
        } else {
            // typed: serial and coordinate in one field, split by the plug-in's rule
            if (count == 3) {
                return Bad("is not " + std::string(kExchangeForms));
            }
            const std::string typedStored = NormaliseReceivedExchange(tailText);
            const std::size_t blank = typedStored.find(' ');
            if (blank == std::string::npos) {
                return Bad(
                    "does not split into serial and coordinate; a serial of more than "
                    "four digits needs a blank before the coordinate");
            }
            coordinateSize = typedStored.size() - blank - 1;
            exchange.serialText = {tail.begin,
                                   static_cast<uint16_t>(tailText.size() - coordinateSize)};
            if (count == 2) {
                exchange.report = m_fields[0];
            }
        }
        exchange.coordinate = {static_cast<uint16_t>(tail.begin + tailText.size() - coordinateSize),
                               static_cast<uint16_t>(coordinateSize)};
        return ReadNumbers(exchange);
    }

  private:
    std::string_view Text(LineSpan span) const { return m_line.substr(span.begin, span.size); }

    std::string Bad(std::string_view why) const {
        const std::size_t begin = m_fields.front().begin;
        const std::size_t end = m_fields.back().begin + m_fields.back().size;
        return std::string(m_which) + " exchange " + Quoted(m_line.substr(begin, end - begin)) +
               " " + std::string(why);
    }

    // The report, serial and coordinate as the exchange's spans found them.
    std::optional<std::string> ReadNumbers(CabrilloExchange& exchange) const {
        if (exchange.report.size != 0) {
            const std::string_view report = Text(exchange.report);
            if (report.size() > 4 ||
                !(IsDigit(report[0]) || report[0] == '+' || report[0] == '-')) {
                return Bad("has " + Quoted(report) + " where a signal report or serial belongs");
            }
        }
        const std::string_view serial = Text(exchange.serialText);
        if (!IsDigits(serial)) {
            return Bad("has the serial " + Quoted(serial) + ", which is not a number");
        }
        if (serial.size() > kMaxSerialDigits) {
            return Bad("has a serial of more than six digits");
        }
        std::from_chars(serial.data(), serial.data() + serial.size(), exchange.serial);
        const Coordinate position = CoordinateDegrees(Text(exchange.coordinate));
        exchange.latitude = position.latitude;
        exchange.longitude = position.longitude;
        return std::nullopt;
    }

    std::string_view m_line;
    std::span<const LineSpan> m_fields;
    std::string_view m_which;
};

}  // namespace

std::string CabrilloQso::Normalised(const CabrilloExchange& exchange) const {
    const std::string_view serial = Text(exchange.serialText);
    const std::string_view coordinate = Text(exchange.coordinate);
    if (coordinate.empty() || serial.size() > kMaxSerialDigits ||
        coordinate.size() > kMaxCoordinate) {
        return {};  // not read
    }
    // As typed without a blank (a typed exchange is serial and coordinate,
    // as written), unless that form does not split them again.
    char typed[kMaxSerialDigits + 1 + kMaxCoordinate];
    std::memcpy(typed, serial.data(), serial.size());
    std::memcpy(typed + serial.size(), coordinate.data(), coordinate.size());
    std::string stored =
        NormaliseReceivedExchange(std::string_view(typed, serial.size() + coordinate.size()));
    const bool splitsAgain = stored.size() > coordinate.size() && stored.ends_with(coordinate) &&
                             stored[stored.size() - coordinate.size() - 1] == ' ';
    if (!splitsAgain) {
        typed[serial.size()] = ' ';
        std::memcpy(typed + serial.size() + 1, coordinate.data(), coordinate.size());
        stored = NormaliseReceivedExchange(
            std::string_view(typed, serial.size() + 1 + coordinate.size()));
    }
    return stored;
}

bool EndsInCoordinate(std::string_view field) {
    return FindCoordinateEnd(field).found;
}

std::optional<std::string> ReadExchange(std::string_view line, std::span<const LineSpan> fields,
                                        std::string_view which, CabrilloExchange& exchange) {
    return ExchangeReader(line, fields, which).Read(exchange);
}

}  // namespace zelk::logfile
