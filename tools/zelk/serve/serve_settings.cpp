// The listen address and UTC times as texts.
#include "serve/serve_settings.h"

#include <charconv>
#include <cstdio>

namespace zelk::serve {

namespace {

std::optional<int> Number(std::string_view text, int low, int high) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low ||
        value > high) {
        return std::nullopt;
    }
    return value;
}

bool DigitsAt(std::string_view text, std::size_t from, std::size_t count) {
    for (std::size_t i = from; i < from + count; ++i) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9') {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<ListenAddress> ParseListen(std::string_view text) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view host = text.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    } else if (host.find(':') != std::string_view::npos) {
        return std::nullopt;  // an IPv6 address goes in brackets
    }
    const auto port = Number(text.substr(colon + 1), 0, 65535);
    if (host.empty() || !port) {
        return std::nullopt;
    }
    return ListenAddress{std::string(host), *port};
}

std::optional<UtcTime> ParseUtc(std::string_view text) {
    if (text.ends_with('Z')) {
        text.remove_suffix(1);
    }
    // yyyy-mm-ddThh:mm[:ss]
    if ((text.size() != 16 && text.size() != 19) || !DigitsAt(text, 0, 4) || text[4] != '-' ||
        !DigitsAt(text, 5, 2) || text[7] != '-' || !DigitsAt(text, 8, 2) ||
        (text[10] != 'T' && text[10] != ' ') || !DigitsAt(text, 11, 2) || text[13] != ':' ||
        !DigitsAt(text, 14, 2) ||
        (text.size() == 19 && (text[16] != ':' || !DigitsAt(text, 17, 2)))) {
        return std::nullopt;
    }
    using namespace std::chrono;
    const auto year = Number(text.substr(0, 4), 1970, 9999);
    const auto month = Number(text.substr(5, 2), 1, 12);
    const auto day = Number(text.substr(8, 2), 1, 31);
    const auto hour = Number(text.substr(11, 2), 0, 23);
    const auto minute = Number(text.substr(14, 2), 0, 59);
    const auto second = text.size() == 19 ? Number(text.substr(17, 2), 0, 59) : 0;
    if (!year || !month || !day || !hour || !minute || !second) {
        return std::nullopt;
    }
    const year_month_day date{std::chrono::year{*year}, std::chrono::month{unsigned(*month)},
                              std::chrono::day{unsigned(*day)}};
    if (!date.ok()) {
        return std::nullopt;
    }
    return UtcTime{sys_days{date}} + hours{*hour} + minutes{*minute} + seconds{*second};
}

std::string UtcText(UtcTime time) {
    using namespace std::chrono;
    const sys_days day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{time - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", int(date.year()),
                  unsigned(date.month()), unsigned(date.day()), int(clock.hours().count()),
                  int(clock.minutes().count()), int(clock.seconds().count()));
    return text;
}

std::string UtcTextForPeople(UtcTime time) {
    std::string text = UtcText(time);  // 2024-05-19T23:59:00Z
    return text.substr(0, 10) + " " + text.substr(11, 5) + " UTC";
}

UtcTime Now() {
    return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
}

}  // namespace zelk::serve
