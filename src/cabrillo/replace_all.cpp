// ReplaceAll and the file-name base of the Cabrillo file.
#include <string>

#include "cabrillo/cabrillo_log.h"

namespace zelk {

std::string ReplaceAll(std::string_view source, std::string_view find,
                       std::string_view replacement) {
    if (find == replacement || find.empty()) {
        return std::string(source);
    }
    std::string result;
    std::size_t start = 0;
    for (std::size_t hit = source.find(find); hit != std::string_view::npos;
         hit = source.find(find, start)) {
        result.append(source.substr(start, hit - start));
        result.append(replacement);
        start = hit + find.size();
    }
    result.append(source.substr(start));
    return result;
}

std::string CabrilloFileBase(std::string_view callsign) {
    constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";
    const std::size_t first = callsign.find_first_not_of(kWhiteSpace);
    if (first == std::string_view::npos) {
        return "KORV";
    }
    const std::size_t last = callsign.find_last_not_of(kWhiteSpace);
    std::string base(callsign.substr(first, last - first + 1));
    // A call sign must never name a folder, a drive or a stream: every
    // character a Windows file name may not hold becomes "_".
    constexpr std::string_view kForbidden = "/\\<>:\"|?*";
    for (char& c : base) {
        if (static_cast<unsigned char>(c) < 32 || kForbidden.find(c) != std::string_view::npos) {
            c = '_';
        }
    }
    return base;
}

}  // namespace zelk
