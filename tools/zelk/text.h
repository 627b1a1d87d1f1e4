// Small text helpers shared by the log readers, the contact mapping and the
// commands: ADIF names and Cabrillo tags compare without regard to case, and
// texts from a file are made printable before they go into a message.
#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

namespace zelk::host {

inline std::string Upper(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper;
}

inline bool IsDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

inline char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// A text from a file as a message may quote it: control and non-ASCII bytes
// (and the backslash, so that an escape is never ambiguous) as \xNN, and a
// text longer than maxBytes cut there, with "..." after it.
inline std::string Printable(std::string_view text, std::size_t maxBytes = 40) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string printable;
    for (std::size_t i = 0; i < text.size() && i < maxBytes; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c >= 0x7F || c == '\\') {
            printable += "\\x";
            printable += kHex[c >> 4];
            printable += kHex[c & 0xF];
        } else {
            printable += static_cast<char>(c);
        }
    }
    if (text.size() > maxBytes) {
        printable += "...";
    }
    return printable;
}

}  // namespace zelk::host
