// Escaping and number texts.
#include "html_text.h"

#include <charconv>
#include <cmath>

namespace zelk::report_html {

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// Length of the UTF-8 sequence at `i`, or 0 when it is not well-formed.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80           ? 1
                               : (lead >> 5) == 0x6  ? 2
                               : (lead >> 4) == 0xE  ? 3
                               : (lead >> 3) == 0x1E ? 4
                                                     : 0;
    if (length == 0 || i + length > text.size() || (length == 2 && lead < 0xC2)) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2) {
            return 0;
        }
    }
    return length;
}

bool IsUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8Length(text, i);
        if (length == 0) {
            return false;
        }
        i += length;
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
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, rounded == 0.0 ? 0.0 : rounded,
                                      std::chars_format::fixed, 1);
    return std::string(text, result.ptr);
}

}  // namespace zelk::report_html
