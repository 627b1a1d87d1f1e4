// Replacing a whole file, for the plug-in's files and for every file zelk
// writes, so that the file holds either its old or its new content at every
// moment. The content goes to a new temporary file beside it, made by an
// exclusive create under a name no one can guess beforehand (so nothing
// placed there, a symbolic link least of all, is ever written through), is
// flushed to the disk, and is renamed over the file. Where the file is a
// symbolic link, the file at the end of its chain is replaced and the link
// stays. posix/ and win32/ implement it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace zelk {

// The temporary file is named `path` with this and eight random hex digits
// after it; a crash can leave one, which this names.
inline constexpr std::string_view kReplaceTemporaryMarker = ".zelk-tmp-";

struct ReplaceOptions {
    // The new file's permission bits (POSIX). Without them a file replaced
    // keeps its bits, and a new one gets 0666 less the umask.
    std::optional<unsigned> mode;
    // Whether a failed sync of the folder after the rename fails the
    // replace (the file is in place then, but may not survive a power cut):
    // for a receipt that must not be given before the file is safe.
    bool mustSyncFolder = false;
};

// Empty on success; else the system's reason, and the temporary file is gone.
// Safe to call from several threads at once.
std::error_code ReplaceFileWhole(const std::string& path, std::string_view content,
                                 const ReplaceOptions& options = {});

}  // namespace zelk
