// The contest folder the plug-in works in, and where zelk finds the files it
// ships. The plug-in names its files relative to the current folder:
// Plugins/zelk.dat (reference list), Plugins/ZELK.ini (settings), err.txt
// and <CALL>.cbr; a contest folder is a folder laid out for that. zelk reads
// and writes the settings file the way the plug-in does: through the
// plug-in's platform layer, under the plug-in's name for it.
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
inline constexpr std::string_view kErrorFile = "err.txt";

// A file zelk ships: beside the program, else in `installFolder` (such as
// "lib/zelk") under the folder above the program's. Empty when neither has it.
std::optional<fs::path> FindShippedFile(const fs::path& program, std::string_view name,
                                        std::string_view installFolder);

bool IsContestFolder(const fs::path& folder);

// Lays out `folder` (created when absent): Plugins/, the reference list
// copied from `referenceList` unless one is there already, and, when given,
// the station coordinate in the settings file, written as the plug-in writes
// it (only that value's line changes or is added). Returns what was done, one
// line each; throws std::filesystem::filesystem_error or std::runtime_error,
// which says so when the settings file is UTF-16 text and was left as it is.
std::vector<std::string> InitContestFolder(const fs::path& folder, const fs::path& referenceList,
                                           const std::optional<std::string>& coordinate);

// The station coordinate stored in the folder's settings file, read as the
// plug-in reads it (the first of repeated keys and sections counts); empty
// when none is stored.
std::string StoredStationCoordinate(const fs::path& folder);

// Why the folder's settings file gives no station coordinate although it
// may hold one: it is UTF-16 big-endian text (it starts with FE FF), which
// the Windows profile functions do not read as text, and so neither does
// the plug-in, on either system. Empty when the file is no such text.
std::string UnreadSettingsNote(const fs::path& folder);

// Whether a text is a coordinate the way the plug-in writes one: whole
// degrees, N or S, whole degrees, O or W (55N37O, 33S70W).
bool IsCoordinateText(std::string_view text);

}  // namespace zelk::host
