// The reference list: the stations of ".\Plugins\zelk.dat", loaded at every
// contest run, and the lookup of a call sign's reference text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace zelk {

struct ModuleState;

inline constexpr std::string_view kReferenceFileName = ".\\Plugins\\zelk.dat";
inline constexpr std::string_view kReferenceFileMissing =
    "File zelk.dat not found. Dll incorrect worked ! Pse download zelk.dat!";
inline constexpr std::string_view kNoReference = "NO";
// The file is read in pieces of at most this many characters, each ending
// after the first line feed.
inline constexpr std::size_t kReferencePiece = 24;
inline constexpr std::size_t kReferenceBufferSize = 100;

// The entries of a reference file's text-mode content.
std::vector<std::string> SplitReferencePieces(std::string_view content);

// Fills g_refList from the file; false (and an empty list) when it cannot be
// opened.
bool LoadReferenceList(ModuleState& state);

// The reference text of a call sign, or "NO".
std::string LookupReference(const std::vector<std::string>& list, std::string_view call);

}  // namespace zelk
