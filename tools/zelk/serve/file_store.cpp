// Durable writes with POSIX calls: exclusive create, write, fsync, rename,
// fsync of the folder.
#include "serve/file_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace zelk::serve {

namespace fs = std::filesystem;

namespace {

// Temporary files start so; no stored name does.
constexpr std::string_view kTemporaryPrefix = ".partial-";
constexpr std::string_view kStoredSuffix = ".log";

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return m_fd; }
    // Closes now, so that a failing close is seen.
    bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

  private:
    int m_fd;
};

[[noreturn]] void Fail(const fs::path& path, std::string_view what) {
    throw std::runtime_error(path.string() + ": " + std::string(what) + ": " +
                             std::strerror(errno));
}

void WriteAll(int fd, std::string_view bytes, const fs::path& shownAs) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail(shownAs, "cannot be written");
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

}  // namespace

void SyncFolder(const fs::path& folder) {
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() < 0 || ::fsync(fd.Get()) != 0) {
        Fail(folder, "cannot be synced");
    }
}

void WriteDurably(const fs::path& path, std::string_view bytes, unsigned mode) {
    const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    std::string temporary = (folder / (std::string(kTemporaryPrefix) + "XXXXXX")).string();
    // mkstemp creates the file exclusively (O_EXCL), readable by us alone.
    FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.Get() < 0) {
        Fail(folder, "cannot make a temporary file in it");
    }
    try {
        WriteAll(fd.Get(), bytes, path);
        if (::fchmod(fd.Get(), static_cast<mode_t>(mode)) != 0 || ::fsync(fd.Get()) != 0) {
            Fail(path, "cannot be synced to disk");
        }
        if (!fd.Close()) {
            Fail(path, "cannot be closed");
        }
        if (::rename(temporary.c_str(), path.c_str()) != 0) {
            Fail(path, "cannot be put in place");
        }
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
    SyncFolder(folder);
}

std::string ReadWholeFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        Fail(path, "cannot be read");
    }
    std::ostringstream bytes;
    bytes << file.rdbuf();
    if (file.bad()) {
        Fail(path, "cannot be read");
    }
    return std::move(bytes).str();
}

LogStore::LogStore(fs::path folder) : m_folder(std::move(folder)) {}

std::string LogStore::StoredName(const std::string& sha256) {
    return sha256 + std::string(kStoredSuffix);
}

bool LogStore::IsStoredName(std::string_view name) {
    if (name.size() != 64 + kStoredSuffix.size() || !name.ends_with(kStoredSuffix)) {
        return false;
    }
    for (char c : name.substr(0, 64)) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

void LogStore::Store(std::string_view bytes, const std::string& sha256) const {
    WriteDurably(PathOf(StoredName(sha256)), bytes);
}

fs::path LogStore::PathOf(const std::string& storedName) const {
    if (!IsStoredName(storedName)) {
        throw std::runtime_error("'" + storedName + "' is no stored log's name");
    }
    return m_folder / storedName;
}

std::string LogStore::Read(const std::string& storedName) const {
    return ReadWholeFile(PathOf(storedName));
}

std::size_t LogStore::RemoveLeftovers() const {
    std::size_t removed = 0;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(m_folder, error)) {
        if (entry.path().filename().string().starts_with(kTemporaryPrefix) &&
            fs::remove(entry.path(), error)) {
            ++removed;
        }
    }
    return removed;
}

}  // namespace zelk::serve
