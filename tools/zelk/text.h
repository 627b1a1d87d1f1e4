// Small text helpers shared by the ADIF reader, the contact mapping and the
// commands: ADIF names and enumerations compare without regard to case.
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

}  // namespace zelk::host
