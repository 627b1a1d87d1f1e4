// Putting texts together by hand, for the writers: a large contest writes a
// million lines.
#pragma once

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelk::sim {

inline void AppendNumber(std::string& out, uint32_t value, std::size_t zeroFillTo = 0) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    const std::size_t size = static_cast<std::size_t>(end - digits);
    if (size < zeroFillTo) {
        out.append(zeroFillTo - size, '0');
    }
    out.append(digits, size);
}

inline void AppendPadded(std::string& out, std::string_view text, std::size_t width, bool left) {
    const std::size_t fill = text.size() < width ? width - text.size() : 0;
    if (!left) {
        out.append(fill, ' ');
    }
    out += text;
    if (left) {
        out.append(fill, ' ');
    }
}

inline std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& ch : lower) {
        if (ch >= 'A' && ch <= 'Z') {
            ch = static_cast<char>(ch - 'A' + 'a');
        }
    }
    return lower;
}

}  // namespace zelk::sim
