// POSIX file primitives of the platform layer: the host's backslash paths,
// whole-file reads, complete writes and atomic replacement. Every function
// reports failure by its result and never throws for an I/O error.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelk::posix {

// The host names files with backslashes ("Plugins\ZELK.ini"); on POSIX they
// are the same relative paths with slashes, resolved from the current folder.
std::string HostPath(std::string_view name);

// The bytes of a regular file, or nullopt when it cannot be opened or read
// (missing, unreadable, a directory).
std::optional<std::string> ReadWholeFile(const std::string& path);

// Opens `path` with `flags` (O_CREAT gets mode 0666 less the umask), writes
// all of `content` and closes it.
bool WriteWholeFile(const std::string& path, int flags, std::string_view content);

// The file that `path` names once every symbolic link of its last name is
// followed (a relative link target is taken from the link's folder), which
// may not exist yet: a link to a missing file names that file. nullopt when
// the chain loops or cannot be read.
std::optional<std::string> ResolveLinkChain(const std::string& path);

}  // namespace zelk::posix
