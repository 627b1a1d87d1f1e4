// Escaping and number texts.
#include "html_text.h"

#include <charconv>
#include <cmath>

namespace zelk::report_html {

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// Length of the UTF-8 sequence at `i`, or 0 when it is not well-formed:
// no overlong forms, no surrogates, nothing beyond U+10FFFF.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
    const auto byte = [&text](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned char low = 0x80;  // the range of the second byte
    unsigned char high = 0xBF;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high) {
        return 0;
    }
    for (std::size_t k = 2; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
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
    if (!std::isfinite(rounded)) {
        return "0.0";
    }
    char text[400];  // room for the largest double written out in full
    const auto result = std::to_chars(text, text + sizeof text, rounded == 0.0 ? 0.0 : rounded,
                                      std::chars_format::fixed, 1);
    return result.ec == std::errc() ? std::string(text, result.ptr) : std::string("0.0");
}

}  // namespace zelk::report_html
