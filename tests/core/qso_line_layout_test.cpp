// The QSO line and the date text are laid out by hand for speed; they must
// be byte for byte what the printf formats give.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "cabrillo/cabrillo_log.h"
#include "scoring/report.h"

namespace zelk {
namespace {

std::string RandomText(std::mt19937& random) {
    static const char kBytes[] = {'D', 'L', '1', ' ', ' ', '5', 'N', '\0', '\xe9', '-'};
    std::string text(random() % 18, ' ');
    for (char& c : text) {
        c = kBytes[random() % sizeof kBytes];
    }
    return text;
}

// What printf makes of a text: it ends at the first zero byte.
std::string Printed(const std::string& text) {
    return text.substr(0, text.find('\0'));
}

TEST(QsoLineLayout, IsWhatTheFormatGivesForAnyValues) {
    std::mt19937 random(5);
    const int32_t frequencies[] = {0,       7,  1830,   14025,     144300,
                                   4294967, -5, -12345, INT32_MAX, INT32_MIN};
    CCabrilloLog log;
    for (int round = 0; round < 5000; ++round) {
        log.m_strCallsign = RandomText(random);
        const std::string call = RandomText(random), mode = RandomText(random);
        const std::string sent = RandomText(random), received = RandomText(random);
        const int32_t freq = frequencies[random() % std::size(frequencies)];
        OleDateTime time{43597.0 + (static_cast<double>(random() % 2000000) - 1000000.0) / 97.0,
                         static_cast<DateTimeStatus>(static_cast<int>(random() % 4) - 1)};
        log.m_arrQsoLines.clear();
        log.AddQsoLine(call, freq, mode, time, sent, received);
        const std::string expected =
            FormatText(kQsoLineFormat, freq, Printed(mode).c_str(),
                       FormatDateTime(time, "%Y-%m-%d %H%M").c_str(),
                       Printed(log.m_strCallsign).c_str(), Printed(WidenExchange(sent)).c_str(),
                       Printed(call).c_str(), Printed(WidenExchange(received)).c_str());
        ASSERT_EQ(log.m_arrQsoLines.at(0), expected) << "round " << round;
    }
}

TEST(QsoLineLayout, DateTextIsThePrintfDateText) {
    std::mt19937 random(9);
    for (int round = 0; round < 20000; ++round) {
        // Day counts over the whole valid range, negative ones included.
        const double day = -657434.0 + static_cast<double>(random()) / 4294967296.0 * 3615900.0;
        const std::optional<CalendarTime> c = ToCalendar(day);
        ASSERT_TRUE(c.has_value()) << day;
        char expected[64];
        std::snprintf(expected, sizeof expected, "%04d-%02d-%02d %02d%02d %02d%%", c->year,
                      c->month, c->day, c->hour, c->minute, c->second);
        ASSERT_EQ(FormatDateTime({day, DateTimeStatus::Valid}, "%Y-%m-%d %H%M %S%%"), expected);
    }
}

}  // namespace
}  // namespace zelk
