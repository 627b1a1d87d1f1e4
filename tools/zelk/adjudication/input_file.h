// A small file the organiser gives zelk adjudicate besides the logs (the
// rules file, the decisions file), read whole, with the reason when it
// cannot be.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace zelk::adjudication {

struct InputFile {
    std::string bytes;
    std::string problem;  // empty when read: "cannot be read: No such file or directory"
};

// Reads `path` whole; a file larger than `limit` bytes is refused unread,
// as too large for `kind` ("a rules file").
InputFile ReadInputFile(const std::filesystem::path& path, std::uintmax_t limit,
                        std::string_view kind);

// Whether a text read from such a file is well-formed UTF-8 without a
// control character (a tab, a line end): one line that can be printed.
bool IsOneLineText(std::string_view text);

}  // namespace zelk::adjudication
