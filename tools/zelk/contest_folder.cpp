// Contest folder layout and the settings file's station coordinate, written
// through SimpleIni so that the other keys of the file stay as they are.
#include "contest_folder.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

// Header-only use of SimpleIni (no ICU, no library to link), so the Windows
// build needs only the header.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

namespace zelk::host {

namespace {

constexpr const char* kSettingsSection = "Settings";
constexpr const char* kCoordinateKey = "Setup_ZELK";

fs::path SettingsPath(const fs::path& folder) {
    return folder / kPluginsFolder / kSettingsFile;
}

}  // namespace

std::optional<fs::path> FindShippedFile(const fs::path& program, std::string_view name,
                                        std::string_view installFolder) {
    if (program.empty()) {
        return std::nullopt;
    }
    const fs::path folder = program.parent_path();
    for (const fs::path& candidate :
         {folder / name, folder.parent_path() / fs::path(installFolder) / name}) {
        std::error_code error;
        if (fs::is_regular_file(candidate, error)) {
            return candidate.lexically_normal();
        }
    }
    return std::nullopt;
}

bool IsContestFolder(const fs::path& folder) {
    std::error_code error;
    return fs::is_regular_file(folder / kPluginsFolder / kReferenceFile, error);
}

std::vector<std::string> InitContestFolder(const fs::path& folder, const fs::path& referenceList,
                                           const std::optional<std::string>& coordinate) {
    std::vector<std::string> done;
    const fs::path plugins = folder / kPluginsFolder;
    if (fs::create_directories(plugins)) {
        done.push_back("created " + plugins.string());
    }
    const fs::path reference = plugins / kReferenceFile;
    if (fs::exists(reference)) {
        done.push_back("kept the existing reference list " + reference.string());
    } else {
        fs::copy_file(referenceList, reference);
        done.push_back("installed the reference list " + reference.string());
    }
    if (coordinate) {
        const fs::path settings = SettingsPath(folder);
        CSimpleIniA ini;
        ini.SetSpaces(false);  // key=value, as the Windows profile functions write it
        if (fs::exists(settings) && ini.LoadFile(settings.string().c_str()) < 0) {
            throw std::runtime_error("cannot read " + settings.string());
        }
        ini.SetValue(kSettingsSection, kCoordinateKey, coordinate->c_str());
        if (ini.SaveFile(settings.string().c_str(), false) < 0) {
            throw std::runtime_error("cannot write " + settings.string());
        }
        done.push_back("stored the station coordinate " + *coordinate + " in " + settings.string());
    }
    return done;
}

std::string StoredStationCoordinate(const fs::path& folder) {
    CSimpleIniA ini;
    if (ini.LoadFile(SettingsPath(folder).string().c_str()) < 0) {
        return {};
    }
    return ini.GetValue(kSettingsSection, kCoordinateKey, "");
}

bool IsCoordinateText(std::string_view text) {
    // At most `width` digits of whole degrees up to `most`, then one of `letters`.
    auto degreesThen = [&text](std::size_t width, int most, std::string_view letters) {
        std::size_t digits = 0;
        int value = 0;
        while (digits < text.size() && digits < width &&
               std::isdigit(static_cast<unsigned char>(text[digits]))) {
            value = value * 10 + (text[digits] - '0');
            ++digits;
        }
        if (digits == 0 || value > most || digits == text.size() ||
            letters.find(text[digits]) == std::string_view::npos) {
            return false;
        }
        text.remove_prefix(digits + 1);
        return true;
    };
    return degreesThen(2, 90, "NS") && degreesThen(3, 180, "OW") && text.empty();
}

std::string CabrilloFileName(std::string_view contestant) {
    std::string base(contestant);
    std::replace(base.begin(), base.end(), '/', '_');
    std::replace(base.begin(), base.end(), '\\', '_');
    const auto first = base.find_first_not_of(" \t\r\n\v\f");
    base = first == std::string::npos
               ? std::string()
               : base.substr(first, base.find_last_not_of(" \t\r\n\v\f") - first + 1);
    return (base.empty() ? std::string("KORV") : base) + ".cbr";
}

}  // namespace zelk::host
