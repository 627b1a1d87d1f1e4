// Files in the host's current folder, through the C runtime as the host's
// own programs use it: streams opened with deny-none sharing so the operator
// can view a file while the plug-in writes it.
#include "platform/file_replace.h"
#include "platform/files.h"
#include "platform/win32/win32_platform.h"

#include <io.h>
#include <share.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>

namespace zelk {
namespace {

// Closes a C stream on every path.
struct StreamCloser {
    void operator()(FILE* stream) const { std::fclose(stream); }
};
using Stream = std::unique_ptr<FILE, StreamCloser>;

Stream OpenShared(const std::string& name, const char* mode) {
    return Stream(_fsopen(name.c_str(), mode, _SH_DENYNO));
}

enum class Durability { System, Disk };

// Writes `content` and closes the stream; fails when any step does. The
// stream is flushed before it is closed because a C runtime's fclose may
// drop the error of writing its buffer (Wine's does); the close is checked
// too, as the system may report an earlier write's error only then. With
// Durability::Disk the data is on the disk, not only handed to the system,
// before the stream is closed.
bool WriteAndClose(Stream stream, std::string_view content, Durability durability) {
    FILE* file = stream.release();
    bool written = (content.empty() ||
                    std::fwrite(content.data(), 1, content.size(), file) == content.size()) &&
                   std::fflush(file) == 0;
    if (durability == Durability::Disk) {
        written = written && _commit(_fileno(file)) == 0;
    }
    return std::fclose(file) == 0 && written;
}

// The folder part of a name, "." when it has none.
std::string FolderOf(const std::string& name) {
    const std::size_t slash = name.find_last_of("\\/");
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? name.substr(0, 1) : name.substr(0, slash);
}

}  // namespace

std::optional<std::string> Win32Platform::ReadTextFile(std::string_view name) {
    // Text mode: the runtime turns CR LF into LF while reading.
    Stream stream(std::fopen(std::string(name).c_str(), "r"));
    if (!stream) {
        return std::nullopt;
    }
    std::string content;
    char buffer[4096];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, stream.get())) > 0) {
        content.append(buffer, count);
    }
    return content;
}

bool Win32Platform::FileExists(std::string_view name) {
    const DWORD attributes = GetFileAttributesA(std::string(name).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32Platform::StartFile(std::string_view name, std::string_view content) {
    Stream stream = OpenShared(std::string(name), "wb");
    return stream && WriteAndClose(std::move(stream), content, Durability::System);
}

bool Win32Platform::AppendToFile(std::string_view name, std::string_view content) {
    Stream stream = OpenShared(std::string(name), "ab");
    return stream && WriteAndClose(std::move(stream), content, Durability::System);
}

bool Win32Platform::ReplaceFile(std::string_view name, std::string_view content) {
    return !ReplaceFileWhole(std::string(name), content);
}

// Windows keeps no permission bits to carry over, and MOVEFILE_WRITE_THROUGH
// makes the move itself durable: the options have nothing more to ask.
std::error_code ReplaceFileWhole(const std::string& path, std::string_view content,
                                 const ReplaceOptions&) {
    const auto systemError = [] {
        return std::error_code(static_cast<int>(GetLastError()), std::system_category());
    };
    // GetTempFileNameA makes the file itself, with a name new in the folder
    // (an exclusive create), so nothing placed there beforehand is written.
    char temporary[MAX_PATH] = {};
    if (GetTempFileNameA(FolderOf(path).c_str(), "zlk", 0, temporary) == 0) {
        return systemError();
    }
    // The temporary reaches the disk before it is renamed over the file;
    // otherwise a crash soon after the rename could leave an empty file where
    // the good one was (MOVEFILE_WRITE_THROUGH waits only for a move that
    // copies across volumes, not for the data of a renamed file).
    errno = 0;
    Stream stream(std::fopen(temporary, "wb"));
    if (!stream || !WriteAndClose(std::move(stream), content, Durability::Disk)) {
        const std::error_code error(errno != 0 ? errno : EIO, std::generic_category());
        DeleteFileA(temporary);
        return error;
    }
    if (!MoveFileExA(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const std::error_code error = systemError();
        DeleteFileA(temporary);
        return error;
    }
    return {};
}

namespace {

// Closes a file handle on every path.
class Handle {
  public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (valid()) {
            CloseHandle(m_handle);
        }
    }
    HANDLE get() const { return m_handle; }
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }
    // After the handle was closed by other means.
    void Release() { m_handle = INVALID_HANDLE_VALUE; }

  private:
    HANDLE m_handle;
};

std::error_code LastSystemError() {
    return {static_cast<int>(GetLastError()), std::system_category()};
}

int64_t Ticks(FILETIME time) {
    return static_cast<int64_t>(uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime);
}

// The identity of an open file; false when the system cannot tell it.
bool IdentityOf(HANDLE file, FileIdentity& identity) {
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandle(file, &info) ||
        !GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic)) {
        return false;
    }
    identity.device = info.dwVolumeSerialNumber;
    identity.file = uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow;
    identity.size = uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow;
    identity.modified = Ticks(info.ftLastWriteTime);
    identity.changed = basic.ChangeTime.QuadPart;
    return true;
}

}  // namespace

FileRead ReadFileWhole(const std::filesystem::path& path, std::uintmax_t limit,
                       std::string& bytes) {
    FileRead read;
    bytes.clear();
    // Others may read, write or delete it meanwhile: the identity tells.
    Handle file(CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        read.error = LastSystemError();
        return read;
    }
    if (GetFileType(file.get()) != FILE_TYPE_DISK) {
        read.regular = false;
        return read;
    }
    if (!IdentityOf(file.get(), read.identity)) {
        read.error = LastSystemError();
        return read;
    }
    if (read.identity.size > limit) {
        read.tooLarge = true;
        return read;
    }
    bytes.resize(static_cast<std::size_t>(read.identity.size));
    std::size_t got = 0;
    while (got < bytes.size()) {
        const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - got, 1 << 30));
        DWORD count = 0;
        if (!::ReadFile(file.get(), bytes.data() + got, ask, &count, nullptr)) {
            read.error = LastSystemError();
            bytes.clear();
            return read;
        }
        if (count == 0) {
            break;
        }
        got += count;
    }
    char beyond = 0;
    DWORD more = 0;
    FileIdentity after;
    read.changed = got != bytes.size() || !::ReadFile(file.get(), &beyond, 1, &more, nullptr) ||
                   more != 0 || !IdentityOf(file.get(), after) || after != read.identity;
    return read;
}

std::error_code WriteNewFile(const std::filesystem::path& path, std::string_view content) {
    Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return LastSystemError();
    }
    std::size_t written = 0;
    while (written < content.size()) {
        const DWORD ask =
            static_cast<DWORD>(std::min<std::size_t>(content.size() - written, 1 << 30));
        DWORD count = 0;
        if (!WriteFile(file.get(), content.data() + written, ask, &count, nullptr)) {
            const std::error_code error = LastSystemError();
            CloseHandle(file.get());
            DeleteFileW(path.c_str());
            file.Release();
            return error;
        }
        written += count;
    }
    return {};
}

std::error_code FlushToDisk(const std::filesystem::path&,
                            std::span<const std::filesystem::path> files,
                            std::span<const std::filesystem::path>) {
    // Windows flushes one file at a time; the folders' entries are kept by
    // the file system's own journal.
    for (const std::filesystem::path& path : files) {
        Handle file(CreateFileW(path.c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid() || !FlushFileBuffers(file.get())) {
            return LastSystemError();
        }
    }
    return {};
}

}  // namespace zelk
