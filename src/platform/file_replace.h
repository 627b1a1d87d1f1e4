// Replacing a whole file, for the plug-in's files and for every file zelk
// writes, so that the file holds either its old or its new content at every
// moment. The content goes to a new temporary file beside it, made by an
// exclusive create under a name no one can guess beforehand (so nothing
// placed there, a symbolic link least of all, is ever written through), is
// flushed to the disk, and is renamed over the file. Where the file is a
// symbolic link, the file at the end of its chain is replaced and the link
// stays. posix/ and win32/ implement it.
#pragma once

#include <string>
#include <string_view>
#include <system_error>

namespace zelk {

// Empty on success; else the system's reason, and the temporary file is gone.
std::error_code ReplaceFileWhole(const std::string& path, std::string_view content);

}  // namespace zelk
