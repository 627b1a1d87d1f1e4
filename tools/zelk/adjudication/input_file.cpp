// Reading a rules or decisions file whole.
#include "adjudication/input_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "text/text.h"

namespace zelk::adjudication {

namespace fs = std::filesystem;

InputFile ReadInputFile(const fs::path& path, std::uintmax_t limit, std::string_view kind) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error || !fs::exists(status)) {
        return {{}, "cannot be read: " + (error ? error.message() : "no such file")};
    }
    if (!fs::is_regular_file(status)) {
        return {{}, "cannot be read: it is not a regular file"};
    }
    const std::uintmax_t size = fs::file_size(path, error);
    if (error) {
        return {{}, "cannot be read: " + error.message()};
    }
    if (size > limit) {
        return {{},
                "is larger than " + std::to_string(limit >> 10) + " KiB: too large for " +
                    std::string(kind)};
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {{}, std::string("cannot be read: ") + std::strerror(errno)};
    }
    InputFile file;
    file.bytes.assign(static_cast<std::size_t>(size), '\0');
    in.read(file.bytes.data(), static_cast<std::streamsize>(file.bytes.size()));
    if (static_cast<std::size_t>(in.gcount()) != file.bytes.size() || in.bad() ||
        in.peek() != std::ifstream::traits_type::eof()) {
        return {{}, "cannot be read whole: it changed while it was read"};
    }
    return file;
}

bool IsOneLineText(std::string_view text) {
    while (!text.empty()) {
        const auto length = Utf8SequenceLength(text);
        const auto byte = static_cast<unsigned char>(text.front());
        if (!length || byte < 0x20 || byte == 0x7F) {
            return false;
        }
        text.remove_prefix(*length);
    }
    return true;
}

}  // namespace zelk::adjudication
