// Each entrant's report file name in ubn/. The name comes from a call in a
// stranger's log, so it is made a name every system can write: no character
// Windows refuses, no device name, a bounded length, and unique without
// regard to case (Windows and macOS fold case).
#include <algorithm>
#include <array>
#include <set>

#include "adjudication/results_files.h"
#include "text/text.h"

namespace zelk::adjudication {

namespace {

// Room for any real call, suffixes and all; a longer "call" is a header gone
// wrong, and a name of a few hundred bytes cannot be made on most systems.
constexpr std::size_t kLongestStem = 40;

// Windows opens these as devices whatever the folder and the extension.
constexpr std::array<std::string_view, 26> kDeviceNames{
    "CON",  "PRN",  "AUX",  "NUL",  "CONIN$", "CONOUT$", "COM0", "COM1", "COM2",
    "COM3", "COM4", "COM5", "COM6", "COM7",   "COM8",    "COM9", "LPT0", "LPT1",
    "LPT2", "LPT3", "LPT4", "LPT5", "LPT6",   "LPT7",    "LPT8", "LPT9"};

// Windows takes a name as a device when its part before the first dot, with
// trailing blanks and dots removed, is a device name ("nul.tar", "COM1 .x").
bool NamesADevice(std::string_view stem) {
    std::string_view base = stem.substr(0, stem.find('.'));
    while (!base.empty() && (base.back() == ' ' || base.back() == '.')) {
        base.remove_suffix(1);
    }
    const std::string upper = Upper(base);
    return !upper.empty() &&
           std::find(kDeviceNames.begin(), kDeviceNames.end(), upper) != kDeviceNames.end();
}

std::string FileStem(std::string_view call) {
    std::string stem;
    for (char c : call.substr(0, kLongestStem)) {
        const auto byte = static_cast<unsigned char>(c);
        const bool bad = byte <= 0x20 || byte >= 0x7F ||
                         std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos;
        stem += bad ? '_' : c;
    }
    if (NamesADevice(stem)) {
        stem.insert(std::min(stem.find('.'), stem.size()), "_");  // "NUL.tar" -> "NUL_.tar"
    }
    // Windows drops a final dot.
    if (stem.empty() || stem.back() == '.') {
        stem += '_';
    }
    return stem;
}

}  // namespace

std::vector<UbnFile> UbnFiles(const ContestCheck& contest) {
    std::vector<UbnFile> files;
    std::set<std::string> taken;  // in capitals: Windows names ignore case
    for (const Entrant& entrant : contest.entrants) {
        const std::string stem = FileStem(entrant.log.call);
        std::string name = stem + ".ubn";
        for (int n = 2; !taken.insert(Upper(name)).second; ++n) {
            name = stem + "-" + std::to_string(n) + ".ubn";
        }
        files.push_back({std::move(name), {}});
    }
    return files;
}

}  // namespace zelk::adjudication
