// The contest folder the plug-in works in, and where zelk finds the files it
// ships. The plug-in names its files relative to the current folder:
// Plugins/zelk.dat (reference list), Plugins/ZELK.ini (settings), err.txt
// and <CALL>.cbr; a contest folder is a folder laid out for that.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelk::host {

namespace fs = std::filesystem;

inline constexpr std::string_view kPluginsFolder = "Plugins";
inline constexpr std::string_view kReferenceFile = "zelk.dat";
inline constexpr std::string_view kSettingsFile = "ZELK.ini";
inline constexpr std::string_view kErrorFile = "err.txt";

// A file zelk ships: beside the program, else in `installFolder` (such as
// "lib/zelk") under the folder above the program's. Empty when neither has it.
std::optional<fs::path> FindShippedFile(const fs::path& program, std::string_view name,
                                        std::string_view installFolder);

bool IsContestFolder(const fs::path& folder);

// Lays out `folder` (created when absent): Plugins/, the reference list
// copied from `referenceList` unless one is there already, and, when given,
// the station coordinate in the settings file. Returns what was done, one
// line each; throws std::filesystem::filesystem_error or std::runtime_error.
std::vector<std::string> InitContestFolder(const fs::path& folder, const fs::path& referenceList,
                                           const std::optional<std::string>& coordinate);

// The station coordinate stored in the folder's settings file, empty when
// none is stored.
std::string StoredStationCoordinate(const fs::path& folder);

// Whether a text is a coordinate the way the plug-in writes one: whole
// degrees, N or S, whole degrees, O or W (55N37O, 33S70W).
bool IsCoordinateText(std::string_view text);

// The Cabrillo file the plug-in writes for a contestant: the call with "/" and
// "\" made "_", blanks around it dropped, "KORV" when nothing is left.
std::string CabrilloFileName(std::string_view contestant);

}  // namespace zelk::host
