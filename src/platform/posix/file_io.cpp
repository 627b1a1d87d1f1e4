// POSIX file primitives of the platform layer. This file holds only code for
// POSIX systems.
#include "platform/posix/file_io.h"
#include "platform/file_replace.h"
#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace zelk::posix {
namespace {

// Closes the descriptor on every path out of a function.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now, reporting the result: a failed close can lose written data.
    bool Close() {
        int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

  private:
    int m_fd;
};

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(path, flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::string HostPath(std::string_view name) {
    std::string path(name);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    FileDescriptor file(OpenRetrying(path.c_str(), O_RDONLY));
    if (!file.valid()) {
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || S_ISDIR(info.st_mode)) {
        return std::nullopt;
    }
    std::string content;
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return std::nullopt;
        }
        if (got == 0) {
            return content;
        }
        content.append(buffer, static_cast<std::size_t>(got));
    }
}

bool WriteWholeFile(const std::string& path, int flags, std::string_view content) {
    FileDescriptor file(OpenRetrying(path.c_str(), flags, 0666));
    if (!file.valid()) {
        return false;
    }
    bool written = WriteAll(file.get(), content);
    return file.Close() && written;
}

std::optional<std::string> ResolveLinkChain(const std::string& path) {
    // As many links as the system itself follows before it gives up (ELOOP).
    constexpr int kMostLinks = 40;
    std::string current = path;
    for (int links = 0; links <= kMostLinks; ++links) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0) {
            // A missing last name is no error: the file is to be made there.
            return errno == ENOENT ? std::optional<std::string>(current) : std::nullopt;
        }
        if (!S_ISLNK(info.st_mode)) {
            return current;
        }
        std::vector<char> target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) +
                                 1);
        ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<std::size_t>(length) >= target.size()) {
            return std::nullopt;  // gone or changed while being read
        }
        std::string next(target.data(), static_cast<std::size_t>(length));
        // A relative target is relative to the folder that holds the link.
        current = next.starts_with('/') ? next : FolderOf(current) + "/" + next;
    }
    return std::nullopt;
}

}  // namespace zelk::posix

namespace zelk {

namespace {

// A temporary file beside `target`, made by an exclusive create under a
// name with eight random hex digits (the system applies the umask to
// `mode`); -1 with errno when none can be made.
int CreateTemporary(const std::string& target, mode_t mode, std::string& name) {
    thread_local std::mt19937 random{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        char digits[9];
        std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(random()));
        name = target + std::string(kReplaceTemporaryMarker) + digits;
        const int fd = posix::OpenRetrying(name.c_str(), O_WRONLY | O_CREAT | O_EXCL, mode);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

}  // namespace

std::error_code ReplaceFileWhole(const std::string& path, std::string_view content,
                                 const ReplaceOptions& options) {
    using posix::FileDescriptor;
    const auto failure = [](int error) { return std::error_code(error, std::generic_category()); };
    // Through a symbolic link the file it points to is replaced; the link
    // stays. Renaming over the link itself would cut it loose from its file.
    errno = 0;
    std::optional<std::string> resolved = posix::ResolveLinkChain(path);
    if (!resolved) {
        return failure(errno != 0 ? errno : ELOOP);
    }
    const std::string& target = *resolved;
    // A file replaced keeps its permission bits; a new one gets what the
    // system's umask leaves of 0666, applied by the create itself (reading
    // the umask would mean setting it, which other threads would race on).
    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    std::optional<mode_t> mode;
    if (options.mode) {
        mode = static_cast<mode_t>(*options.mode);
    } else if (replacing) {
        mode = old.st_mode & 07777;
    }
    std::string temporary;
    FileDescriptor file(CreateTemporary(target, mode.value_or(0666), temporary));
    if (!file.valid()) {
        return failure(errno);
    }
    int error = 0;
    if ((mode && ::fchmod(file.get(), *mode) != 0) || !posix::WriteAll(file.get(), content) ||
        ::fsync(file.get()) != 0) {
        error = errno;
    }
    if (!file.Close() && error == 0) {
        error = errno;
    }
    if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        return failure(error);
    }
    // Make the rename itself durable; the file is in place already.
    FileDescriptor dir(
        posix::OpenRetrying(posix::FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY));
    if (!dir.valid() || ::fsync(dir.get()) != 0) {
        if (options.mustSyncFolder) {
            return failure(errno != 0 ? errno : EIO);
        }
    }
    return {};
}

namespace {

std::error_code LastErrno() {
    return {errno != 0 ? errno : EIO, std::generic_category()};
}

FileIdentity IdentityOf(const struct stat& info) {
    constexpr int64_t kNanoseconds = 1000000000;
    return {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino),
            static_cast<uint64_t>(info.st_size),
            int64_t{info.st_mtim.tv_sec} * kNanoseconds + info.st_mtim.tv_nsec,
            int64_t{info.st_ctim.tv_sec} * kNanoseconds + info.st_ctim.tv_nsec};
}

// Reads up to `size` bytes into `into`; how many were read, or -1.
ssize_t ReadUpTo(int fd, char* into, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        const ssize_t count = ::read(fd, into + got, size - got);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            return -1;
        }
        if (count == 0) {
            break;
        }
        got += static_cast<std::size_t>(count);
    }
    return static_cast<ssize_t>(got);
}

}  // namespace

FileRead ReadFileWhole(const std::filesystem::path& path, std::uintmax_t limit,
                       std::string& bytes) {
    using posix::FileDescriptor;
    FileRead read;
    bytes.clear();
    errno = 0;
    // Looked at before it is opened: opening a pipe would wait for a writer.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        read.error = LastErrno();
        return read;
    }
    if (!S_ISREG(info.st_mode)) {
        read.regular = false;
        return read;
    }
    // O_NONBLOCK: should a pipe be put in its place meanwhile, the open
    // still returns, and the look below refuses it.
    FileDescriptor file(posix::OpenRetrying(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY));
    if (!file.valid() || ::fstat(file.get(), &info) != 0) {
        read.error = LastErrno();
        return read;
    }
    read.identity = IdentityOf(info);
    if (!S_ISREG(info.st_mode)) {
        read.regular = false;
        return read;
    }
    if (read.identity.size > limit) {
        read.tooLarge = true;
        return read;
    }
    bytes.resize(static_cast<std::size_t>(read.identity.size));
    char beyond = 0;
    const ssize_t got = ReadUpTo(file.get(), bytes.data(), bytes.size());
    const ssize_t more = got < 0 ? 0 : ReadUpTo(file.get(), &beyond, 1);
    if (got < 0 || more < 0) {
        read.error = LastErrno();
        bytes.clear();
        return read;
    }
    struct stat after {};
    read.changed = static_cast<std::size_t>(got) != bytes.size() || more != 0 ||
                   ::fstat(file.get(), &after) != 0 || IdentityOf(after) != read.identity;
    return read;
}

std::error_code WriteNewFile(const std::filesystem::path& path, std::string_view content) {
    using posix::FileDescriptor;
    errno = 0;
    FileDescriptor file(posix::OpenRetrying(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666));
    if (!file.valid()) {
        return LastErrno();
    }
    if (!posix::WriteAll(file.get(), content) || !file.Close()) {
        const std::error_code error = LastErrno();
        ::unlink(path.c_str());
        return error;
    }
    return {};
}

std::error_code FlushToDisk(const std::filesystem::path& folder,
                            std::span<const std::filesystem::path> files,
                            std::span<const std::filesystem::path> folders) {
    using posix::FileDescriptor;
    errno = 0;
#ifdef __linux__
    // One flush of the whole file system: every file written, and every
    // folder entry made, is on the disk when it returns.
    (void)files;
    (void)folders;
    FileDescriptor where(posix::OpenRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY));
    if (!where.valid() || ::syncfs(where.get()) != 0) {
        return LastErrno();
    }
    return {};
#else
    (void)folder;
    auto flush = [](const std::filesystem::path& path, int flags) -> std::error_code {
        FileDescriptor file(posix::OpenRetrying(path.c_str(), flags));
        if (!file.valid() || ::fsync(file.get()) != 0) {
            return LastErrno();
        }
        return {};
    };
    for (const std::filesystem::path& path : files) {
        if (const std::error_code error = flush(path, O_RDONLY)) {
            return error;
        }
    }
    for (const std::filesystem::path& path : folders) {
        if (const std::error_code error = flush(path, O_RDONLY | O_DIRECTORY)) {
            return error;
        }
    }
    return {};
#endif
}

}  // namespace zelk
