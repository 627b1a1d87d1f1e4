// Text and numbers as they go into HTML and SVG: every text from a log is
// escaped, and numbers are written without the locale, so a page is the
// same on every machine.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelk::report_html {

// Text for HTML content and quoted attribute values: & < > " ' escaped,
// control characters shown as U+FFFD, and text that is not UTF-8 read as
// Latin-1, so any bytes a log holds make valid UTF-8.
std::string Escape(std::string_view text);

// A number with one decimal ("12.5", "-3.0"); -0.0 is written as "0.0".
std::string Decimal1(double value);

inline std::string Int(int64_t value) {
    return std::to_string(value);
}

}  // namespace zelk::report_html
