// Contest folder layout and the settings file's station coordinate. The
// settings file is read and written through the plug-in's own platform layer
// (the Windows profile functions, or the POSIX editor that follows their
// rules and replaces the file atomically), under the plug-in's own relative
// name for it and from inside the contest folder, as the plug-in runs: zelk
// and the plug-in see the same values and leave the same file.
#include "host/contest_folder.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <stdexcept>

#include "contest/settings_keys.h"
#include "platform/default_platform.h"
#include "platform/settings.h"

namespace zelk::host {

namespace {

// The settings file as the operator names it, for messages.
fs::path SettingsPath(const fs::path& folder) {
    std::string name(kSettingsFile);
    std::replace(name.begin(), name.end(), '\\', '/');
    return (folder / fs::path(name)).make_preferred();
}

// While it lives, the current folder is `folder` (when it can be entered);
// the previous one is restored on every path out.
class CurrentFolder {
  public:
    explicit CurrentFolder(const fs::path& folder) {
        std::error_code error;
        m_previous = fs::current_path(error);
        if (!error) {
            fs::current_path(folder, error);
            m_entered = !error;
        }
    }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;
    ~CurrentFolder() {
        if (m_entered) {
            std::error_code ignored;
            fs::current_path(m_previous, ignored);
        }
    }
    bool Entered() const { return m_entered; }

  private:
    fs::path m_previous;
    bool m_entered = false;
};

// The file's first two bytes; empty when it has fewer.
std::string FirstTwoBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    char mark[2] = {};
    return file.read(mark, 2) ? std::string(mark, 2) : std::string();
}

// Whether the file starts with a UTF-16 byte order mark (either order).
bool IsUtf16File(const fs::path& path) {
    const std::string mark = FirstTwoBytes(path);
    return mark == "\xFF\xFE" || mark == "\xFE\xFF";
}

bool StoreStationCoordinate(const fs::path& folder, const std::string& coordinate) {
    CurrentFolder inside(folder);
    std::string readBuffer;
    Settings settings(DefaultPlatform(), kSettingsSection, kSettingsFile, readBuffer);
    return inside.Entered() && settings.Write(keys::kSetupZelk, coordinate);
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
        if (!StoreStationCoordinate(folder, *coordinate)) {
            if (IsUtf16File(settings)) {
                throw std::runtime_error(
                    settings.string() +
                    " is UTF-16 text and was left as it is (a settings file is never written in "
                    "two encodings): the station coordinate was not stored. Save the file as "
                    "plain (ANSI) text, or set Setup_ZELK=" +
                    *coordinate + " in it by hand");
            }
            throw std::runtime_error("cannot write the station coordinate into " +
                                     settings.string());
        }
        done.push_back("stored the station coordinate " + *coordinate + " in " + settings.string());
    }
    return done;
}

std::string StoredStationCoordinate(const fs::path& folder) {
    CurrentFolder inside(folder);
    if (!inside.Entered()) {
        return {};
    }
    std::string readBuffer;
    Settings settings(DefaultPlatform(), kSettingsSection, kSettingsFile, readBuffer);
    return settings.Read(keys::kSetupZelk, "");
}

std::string UnreadSettingsNote(const fs::path& folder) {
    const fs::path settings = SettingsPath(folder);
    if (FirstTwoBytes(settings) != "\xFE\xFF") {
        return {};
    }
    return settings.string() +
           " is UTF-16 big-endian text (it starts with FE FF), which the Windows profile "
           "functions, and so the plug-in, do not read: a station coordinate in it is not seen. "
           "Save it as plain (ANSI) text";
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

}  // namespace zelk::host
