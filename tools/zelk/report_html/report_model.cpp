// The small readings the model needs from text: error-file lines and
// coordinate texts as positions to draw.
#include "report_html/report_model.h"

#include <array>
#include <charconv>

namespace zelk::report_html {

namespace {

// The closing messages of the error file, each after three spaces.
constexpr std::array<std::string_view, 2> kRefusalMessages = {"NO TEST MODE !!!",
                                                              "NO RX NUMBER !!!"};

std::string_view TrimRight(std::string_view text) {
    const auto last = text.find_last_not_of(" \t\r\n");
    return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

// Leading decimal digits as a number no larger than `limit`; advances `text`.
std::optional<int32_t> TakeDegrees(std::string_view& text, int32_t limit) {
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data() || text.front() == '-' || value > limit) {
        return std::nullopt;
    }
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return value;
}

}  // namespace

int64_t Earned(const ScoreRow& row) {
    return int64_t{row.points} + row.lat + row.lon + row.zelk + row.polar;
}

RefusedContact RefusedFromErrorLine(std::string_view line) {
    line = TrimRight(line);
    for (std::string_view message : kRefusalMessages) {
        if (line.ends_with(message)) {
            return {std::string(TrimRight(line.substr(0, line.size() - message.size()))),
                    std::string(message)};
        }
    }
    return {std::string(line), {}};
}

std::optional<GeoPoint> PositionFromCoordinate(std::string_view text) {
    const auto latitude = TakeDegrees(text, 90);
    if (!latitude || text.empty() || (text.front() != 'N' && text.front() != 'S')) {
        return std::nullopt;
    }
    const int32_t latitudeSign = text.front() == 'S' ? -1 : 1;
    text.remove_prefix(1);
    const auto longitude = TakeDegrees(text, 180);
    if (!longitude || text.size() != 1 ||
        std::string_view("OEW").find(text.front()) == std::string_view::npos) {
        return std::nullopt;
    }
    const int32_t longitudeSign = text.front() == 'W' ? -1 : 1;
    return GeoPoint{latitudeSign * *latitude, longitudeSign * *longitude};
}

}  // namespace zelk::report_html
