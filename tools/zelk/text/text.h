// Small text helpers shared by the ADIF reader, the contact mapping and the
// commands: ADIF names and enumerations compare without regard to case, and
// whatever a log holds is made printable before it reaches a message.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zelk {

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

// The length in bytes of the UTF-8 sequence that starts `text`, or nullopt
// when it starts with no well-formed sequence (a stray or cut byte, an
// overlong form, a surrogate or a value beyond U+10FFFF).
std::optional<std::size_t> Utf8SequenceLength(std::string_view text);

// A text from a log as it may appear in a message: one line of printable
// characters. Control bytes become \n, \r, \t or \xNN, bytes that are not
// UTF-8 become \xNN, a backslash becomes \\; well-formed UTF-8 letters stay.
// A text longer than `limit` characters is cut and ends with "...".
std::string Printable(std::string_view text, std::size_t limit = 40);
// A file's name as a message names it: printable, and whole.
inline std::string PrintableName(std::string_view name) {
    return Printable(name, name.size());
}

}  // namespace zelk
