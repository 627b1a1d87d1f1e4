// The log store on the product's durable file replace, and the sync of a
// folder with POSIX calls.
#include "serve/file_store.h"

#include "platform/file_replace.h"

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

  private:
    int m_fd;
};

[[noreturn]] void Fail(const fs::path& path, std::string_view what) {
    throw std::runtime_error(path.string() + ": " + std::string(what) + ": " +
                             std::strerror(errno));
}

}  // namespace

void SyncFolder(const fs::path& folder) {
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() < 0 || ::fsync(fd.Get()) != 0) {
        Fail(folder, "cannot be synced");
    }
}

void WriteDurably(const fs::path& path, std::string_view bytes, unsigned mode) {
    if (const std::error_code error =
            ReplaceFileWhole(path.string(), bytes, {.mode = mode, .mustSyncFolder = true})) {
        Fail(path, "cannot be stored durably: " + error.message());
    }
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
        if (entry.path().filename().string().find(kReplaceTemporaryMarker) != std::string::npos &&
            fs::remove(entry.path(), error)) {
            ++removed;
        }
    }
    return removed;
}

}  // namespace zelk::serve
