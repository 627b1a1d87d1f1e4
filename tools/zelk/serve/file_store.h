// The uploaded logs as files, byte for byte, as the evidence beside the
// database's record. A log is stored under its SHA-256 (no upload chooses
// a name or a path): written to a new temporary file in the same folder
// (exclusive create), synced, renamed into place and the folder synced, so
// that once Store returns the file survives a crash or a power cut, and no
// reader ever meets half a file.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace zelk::serve {

// Writes `bytes` to `path` as Store writes a log, through the product's one
// file replace (platform/file_replace.h): a temporary file beside it
// (created exclusively), mode `mode`, synced, renamed over `path`, and the
// folder synced, a failure of which fails the write. Throws
// std::runtime_error naming the file.
void WriteDurably(const std::filesystem::path& path, std::string_view bytes, unsigned mode = 0640);

// Syncs a folder's entries (a rename into it, say) to disk.
void SyncFolder(const std::filesystem::path& folder);

// The whole of a file's bytes; throws std::runtime_error naming the file.
std::string ReadWholeFile(const std::filesystem::path& path);

class LogStore {
  public:
    explicit LogStore(std::filesystem::path folder);

    // The name a log of this SHA-256 (lower-case hex) is stored under.
    static std::string StoredName(const std::string& sha256);
    // Whether `name` is one StoredName gives: the only names Read opens.
    static bool IsStoredName(std::string_view name);

    // Stores the bytes durably under StoredName(sha256); the same bytes sent
    // twice share one file.
    void Store(std::string_view bytes, const std::string& sha256) const;
    std::string Read(const std::string& storedName) const;
    std::filesystem::path PathOf(const std::string& storedName) const;

    // Removes the temporary files of writes a crash cut off; returns how many.
    std::size_t RemoveLeftovers() const;

    const std::filesystem::path& Folder() const { return m_folder; }

  private:
    std::filesystem::path m_folder;
};

}  // namespace zelk::serve
