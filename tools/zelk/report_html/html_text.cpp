// Escaping and number texts.
#include "report_html/html_text.h"

#include <charconv>
#include <cmath>

#include "text/text.h"

namespace zelk::report_html {

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

bool IsUtf8(std::string_view text) {
    while (!text.empty()) {
        const auto length = Utf8SequenceLength(text);
        if (!length) {
            return false;
        }
        text.remove_prefix(*length);
    }
    return true;
}

void AppendEscaped(std::string& out, unsigned char c) {
    switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            if ((c < 0x20 && c != '\t' && c != '\n') || c == 0x7F) {
                out += kReplacementCharacter;
            } else {
                out += static_cast<char>(c);
            }
    }
}

}  // namespace

std::string Escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    const bool utf8 = IsUtf8(text);
    for (char byte : text) {
        const auto c = static_cast<unsigned char>(byte);
        if (c < 0x80 || utf8) {
            AppendEscaped(out, c);
        } else if (c < 0xA0) {
            out += kReplacementCharacter;  // C1 controls
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string Decimal1(double value) {
    const double rounded = std::round(value * 10.0) / 10.0;
    if (!std::isfinite(rounded)) {
        return "0.0";
    }
    char text[400];  // room for the largest double written out in full
    const auto result = std::to_chars(text, text + sizeof text, rounded == 0.0 ? 0.0 : rounded,
                                      std::chars_format::fixed, 1);
    return result.ec == std::errc() ? std::string(text, result.ptr) : std::string("0.0");
}

}  // namespace zelk::report_html
