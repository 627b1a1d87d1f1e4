// Printable forms of log texts for messages.
#include "text/text.h"

#include <cstdio>

namespace zelk {

std::optional<std::size_t> Utf8SequenceLength(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return 1;
    }
    // The range the second byte must fall in excludes overlong forms,
    // surrogates and values past U+10FFFF; later bytes are 80..BF.
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
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
        return std::nullopt;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high) {
        return std::nullopt;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return std::nullopt;
        }
    }
    return length;
}

std::string Printable(std::string_view text, std::size_t limit) {
    // Most texts are plain printable ASCII: taken whole.
    std::size_t plain = 0;
    while (plain < text.size() && plain < limit && text[plain] >= 0x20 && text[plain] < 0x7F &&
           text[plain] != '\\') {
        ++plain;
    }
    if (plain == text.size()) {
        return std::string(text);
    }
    std::string printable(text.substr(0, plain));
    std::size_t characters = plain;
    for (std::size_t i = plain; i < text.size(); ++characters) {
        if (characters == limit) {
            return printable + "...";
        }
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto sequence = Utf8SequenceLength(text.substr(i));
        // C1 controls (U+0080..U+009F) are well-formed but not printable.
        const bool c1Control =
            sequence == 2u && byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;
        if (sequence && *sequence > 1 && !c1Control) {
            printable.append(text.substr(i, *sequence));
            i += *sequence;
            continue;
        }
        if (byte == '\n') {
            printable += "\\n";
        } else if (byte == '\r') {
            printable += "\\r";
        } else if (byte == '\t') {
            printable += "\\t";
        } else if (byte == '\\') {
            printable += "\\\\";
        } else if (byte < 0x20 || byte >= 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            printable += escaped;
        } else {
            printable += static_cast<char>(byte);
        }
        ++i;
    }
    return printable;
}

}  // namespace zelk
