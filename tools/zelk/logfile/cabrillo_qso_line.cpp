// Reading one QSO: (or X-QSO:) line into its fields: split at runs of blanks
// and tabs without allocating, each exchange decoded and normalised by the
// plug-in's own rules.
#include "logfile/cabrillo_qso_line.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstring>

#include "logfile/cabrillo_exchange.h"
#include "logfile/unreadable_line.h"
#include "text/text.h"

namespace zelk::logfile {

namespace {

// frequency mode date time own-call, sent (up to 3), call, received (up to
// 3), transmitter id.
constexpr std::size_t kFixedFields = 5;
constexpr std::size_t kMinQsoFields = 8;
constexpr std::size_t kMaxQsoFields = 13;
// Lines of other contests may run longer; this many fields are kept to look
// for a coordinate and a call in them (a ZELK line's sent coordinate is at
// most the eighth field, so a line without one in these is no ZELK line).
constexpr std::size_t kKeptFields = 16;

constexpr std::string_view kFieldNames =
    "(frequency, mode, date, time, call, exchange, call, exchange)";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Every call sign has a letter; a field without one is a number out of place.
bool HasLetter(std::string_view field) {
    return field.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") != std::string_view::npos;
}

bool IsLetter(char c) {
    return c >= 'A' && c <= 'Z';
}

// Whether a field is shaped like a call sign: letters, digits and '/', with
// a letter before a digit and a letter after it (DL1XYZ, 2E0ABC, 4U1ITU);
// reports, serials, zones and sections are not, nor a six-character
// Maidenhead locator (FN42AA).
bool IsCallShaped(std::string_view field) {
    const bool locator = field.size() == 6 && IsLetter(field[0]) && IsLetter(field[1]) &&
                         IsDigit(field[2]) && IsDigit(field[3]) && IsLetter(field[4]) &&
                         IsLetter(field[5]);
    bool letter = false;
    bool digitAfterLetter = false;
    bool letterAfterThat = false;
    for (char c : field) {
        if (IsLetter(c)) {
            letterAfterThat = letterAfterThat || digitAfterLetter;
            letter = true;
        } else if (IsDigit(c)) {
            digitAfterLetter = digitAfterLetter || letter;
        } else if (c != '/') {
            return false;
        }
    }
    return letterAfterThat && !locator;
}

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
    QsoLineReader(std::string_view line, std::size_t valueBegin, DateCache& dates)
        : m_line(line), m_dates(dates), m_control(line.size()) {
        for (std::size_t i = valueBegin; i < line.size();) {
            while (i < line.size() && IsBlank(line[i])) {
                ++i;
            }
            const std::size_t begin = i;
            while (i < line.size() && !IsBlank(line[i])) {
                if (static_cast<unsigned char>(line[i]) < 0x20 && m_control == line.size()) {
                    m_control = i;
                }
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

    // Fills the QSO; on failure returns why, and how far it got.
    std::optional<QsoLineProblem> Read(std::string_view tag, CabrilloQso& qso) {
        if (m_control != m_line.size()) {
            return QsoLineProblem{"the control byte " + Printable(m_line.substr(m_control, 1)) +
                                  " in column " + std::to_string(m_control + 1) +
                                  "; a QSO line holds only text"};
        }
        if (m_count < kFixedFields) {
            return QsoLineProblem{TooFewFields(tag)};
        }
        if (auto problem = ReadFixedFields(qso)) {
            return QsoLineProblem{std::move(*problem)};
        }
        // From here on the line's time and band are known, whatever follows.
        auto problem = [](std::string reason) {
            return QsoLineProblem{std::move(reason), false, true};
        };
        if (m_count < kMinQsoFields) {
            return problem(TooFewFields(tag));
        }
        const std::size_t sentEnd = NextCoordinateEnd(kFixedFields);
        if (sentEnd == Kept()) {
            // No coordinate anywhere: another contest's exchange, whatever
            // its length, so the field count is not held against it.
            LocateOtherContestCall(qso);
            return QsoLineProblem{std::string(kNoZelkExchange) + "no coordinate in " +
                                      Quoted(Span(kFixedFields, Kept())) + " after the own call " +
                                      Quoted(Field(kFixedFields - 1)),
                                  true, true};
        }
        if (m_count > kMaxQsoFields) {
            return problem(std::string(tag) + ": has " + std::to_string(m_count) +
                           " fields, a QSO has at most " + std::to_string(kMaxQsoFields) +
                           " (three to an exchange, and a transmitter id)");
        }
        if (auto reason = ReadExchanges(sentEnd, qso)) {
            return problem(std::move(*reason));
        }
        return std::nullopt;
    }

  private:
    // Frequency, mode, date, time and own call.
    std::optional<std::string> ReadFixedFields(CabrilloQso& qso) {
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
        return std::nullopt;
    }

    // The sent exchange (ending in field sentEnd), the call, the received
    // exchange and the transmitter id.
    std::optional<std::string> ReadExchanges(std::size_t sentEnd, CabrilloQso& qso) {
        const std::size_t callAt = sentEnd + 1;
        // Located first, so that a line unreadable for its exchange still
        // names the call it worked.
        if (callAt < m_count && HasLetter(Field(callAt))) {
            qso.call = m_fields[callAt];
        }
        qso.sentRead = false;
        qso.receivedRead = false;
        if (auto problem = Exchange("sent", kFixedFields, sentEnd, qso.sent)) {
            qso.sent = {};
            LocateCallInUnreadSent(sentEnd, qso);
            return problem;
        }
        qso.sentRead = true;
        if (callAt == m_count) {
            return std::string("no call after the sent exchange");
        }
        const std::string_view call = Field(callAt);
        if (!HasLetter(call)) {
            return "call " + Quoted(call) + " after the sent exchange has no letter";
        }
        const std::size_t receivedEnd = NextCoordinateEnd(callAt + 1);
        if (receivedEnd == m_count) {
            return "no coordinate (degrees, N or S, degrees, O or W) after the call " +
                   Quoted(call);
        }
        if (auto problem = Exchange("received", callAt + 1, receivedEnd, qso.received)) {
            qso.received = {};
            return problem;
        }
        qso.receivedRead = true;
        const std::size_t rest = receivedEnd + 1;
        if (rest + 1 == m_count && (Field(rest) == "0" || Field(rest) == "1")) {
            qso.transmitter = static_cast<int8_t>(Field(rest)[0] - '0');
        } else if (rest < m_count) {
            return Quoted(Span(rest, m_count)) +
                   " after the received exchange; only a transmitter id (0 or 1) may follow it";
        }
        return std::nullopt;
    }

    // Where the sent exchange cannot be read, its coordinate is mostly what
    // was lost, and the first coordinate found was the received one: then
    // the call is the last field before it shaped like a call, and the
    // fields between them the received exchange. Else the call stays the
    // one after the coordinate found.
    void LocateCallInUnreadSent(std::size_t sentEnd, CabrilloQso& qso) const {
        for (std::size_t i = sentEnd; i-- > kFixedFields;) {
            if (IsCallShaped(Field(i))) {
                qso.call = m_fields[i];
                qso.receivedRead = !Exchange("received", i + 1, sentEnd, qso.received);
                if (!qso.receivedRead) {
                    qso.received = {};
                }
                return;
            }
        }
    }

    // Fields first..last (last ends in a coordinate) as one exchange.
    std::optional<std::string> Exchange(std::string_view which, std::size_t first, std::size_t last,
                                        CabrilloExchange& exchange) const {
        return ReadExchange(m_line, std::span(m_fields).subspan(first, last - first + 1), which,
                            exchange);
    }

    std::string_view Field(std::size_t i) const {
        return m_line.substr(m_fields[i].begin, m_fields[i].size);
    }
    // Fields first..last-1 as they stand in the line.
    std::string_view Span(std::size_t first, std::size_t last) const {
        const std::size_t begin = m_fields[first].begin;
        return m_line.substr(begin, m_fields[last - 1].begin + m_fields[last - 1].size - begin);
    }

    // The first kept field from `from` that ends in a coordinate; Kept()
    // when none does.
    std::size_t NextCoordinateEnd(std::size_t from) const {
        for (std::size_t i = from; i < Kept(); ++i) {
            if (EndsInCoordinate(Field(i))) {
                return i;
            }
        }
        return Kept();
    }

    std::size_t Kept() const { return std::min(m_count, m_fields.size()); }

    std::string TooFewFields(std::string_view tag) const {
        return std::string(tag) + ": has " + std::to_string(m_count) +
               " fields, a QSO needs at least " + std::to_string(kMinQsoFields) + " " +
               std::string(kFieldNames);
    }

    // The call of another contest's line, where a field after the own call
    // is shaped like one.
    void LocateOtherContestCall(CabrilloQso& qso) const {
        for (std::size_t i = kFixedFields; i < Kept(); ++i) {
            if (IsCallShaped(Field(i))) {
                qso.call = m_fields[i];
                return;
            }
        }
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

    std::string_view m_line;
    DateCache& m_dates;
    std::array<LineSpan, kKeptFields> m_fields;  // the first m_count of them, at most kKeptFields
    std::size_t m_count = 0;
    std::size_t m_control;  // of the first control byte but tab; the line's size when none
};

}  // namespace

std::optional<int64_t> DateCache::Days(std::string_view text) {
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

std::string Quoted(std::string_view text) {
    return "'" + Printable(text) + "'";
}

std::optional<QsoLineProblem> ReadQsoFields(std::string_view line, std::size_t valueBegin,
                                            std::string_view tag, DateCache& dates,
                                            CabrilloQso& qso) {
    return QsoLineReader(line, valueBegin, dates).Read(tag, qso);
}

}  // namespace zelk::logfile
