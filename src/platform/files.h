// Reading a file whole and knowing it again later; writing many new files
// and making them durable at once. zelk reads every log of a contest once,
// keeps only what it checks, and reads a log again for the lines a report
// quotes: the identity says whether the file is still the one that was
// read. It writes thousands of reports into a folder of its own and flushes
// them in one go before it puts them in place. posix/ and win32/ implement
// it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

namespace zelk {

// What tells a file from any other, and from itself after a change: the
// device and the file's number on it, its size, and the times of its last
// write and of its last change. On POSIX the change time moves with every
// write and with every setting of the write time, and no program can set it
// back; Windows keeps a change time too.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t file = 0;
    uint64_t size = 0;
    int64_t modified = 0;  // in the system's own units: only compared and ordered
    int64_t changed = 0;

    bool operator==(const FileIdentity&) const = default;
};

struct FileRead {
    std::error_code error;  // why the file could not be opened or read; empty when it was
    bool regular = true;    // false: no regular file (a folder, a device, a pipe), not read
    bool tooLarge = false;  // more bytes than the limit: not read
    bool changed = false;   // it changed while it was read: the bytes are not the file's
    FileIdentity identity;  // as it was when opened
};

// Reads the regular file `path` whole into `bytes` (what they held is
// replaced; their capacity is reused), unless it holds more than `limit`
// bytes. Never opens what is no regular file (a pipe would wait for a
// writer). Safe to call from several threads at once.
FileRead ReadFileWhole(const std::filesystem::path& path, std::uintmax_t limit, std::string& bytes);

// Makes the file `path`, which must not exist yet (an exclusive create: a
// name already there, a symbolic link least of all, is never written
// through), writes `content` whole and closes it; not flushed to the disk
// (FlushToDisk does that for a batch). Empty on success, else the system's
// reason, and no file is left. Safe to call from several threads at once.
std::error_code WriteNewFile(const std::filesystem::path& path, std::string_view content);

// Makes every file of `files`, all written and closed, and the folders that
// hold them durable: on the disk, each whole, when this returns without an
// error. One flush of the file system where the system has one (Linux's
// syncfs on `folder`), else one flush per file and folder; far cheaper for
// thousands of files than a flush as each is written.
std::error_code FlushToDisk(const std::filesystem::path& folder,
                            std::span<const std::filesystem::path> files,
                            std::span<const std::filesystem::path> folders);

}  // namespace zelk
