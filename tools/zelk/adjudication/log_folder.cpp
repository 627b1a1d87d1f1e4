// The contest folder read on worker threads.
#include "adjudication/log_folder.h"

#include <algorithm>

#include "adjudication/in_parallel.h"
#include "platform/files.h"

namespace zelk::adjudication {

namespace fs = std::filesystem;

namespace {

struct FolderFile {
    fs::path path;
    std::string name;
};

LogFile ReadOne(const FolderFile& file, LogReader& reader) {
    const FileRead read = ReadFileWhole(file.path, kMaxLogBytes, reader.bytes);
    if (read.error) {
        return UnreadableFile(file.name, "cannot be read: " + read.error.message());
    }
    if (!read.regular) {
        return UnreadableFile(file.name, "is not a regular file");
    }
    if (read.tooLarge) {
        return UnreadableFile(file.name, LogTooLargeReason(read.identity.size));
    }
    if (read.changed) {
        return UnreadableFile(file.name, "cannot be read whole: it changed while it was read");
    }
    LogFile log = ReadLogFile(file.name, read.identity.modified, reader);
    log.source.path = file.path;
    log.source.identity = read.identity;
    return log;
}

}  // namespace

std::string FileNameText(const fs::path& name) {
    const std::u8string text = name.u8string();
    return std::string(text.begin(), text.end());
}

std::variant<std::vector<LogFile>, std::string> ReadLogFolder(const fs::path& folder,
                                                              const ReadProgress& progress,
                                                              unsigned threads) {
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        return folder.string() +
               (fs::exists(folder, error) ? ": is not a folder" : ": no such folder");
    }
    std::vector<FolderFile> files;
    fs::directory_iterator entries(folder, error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const fs::directory_entry& entry = *entries;
        std::error_code kind;
        if (entry.is_directory(kind)) {
            continue;
        }
        files.push_back({entry.path(), FileNameText(entry.path().filename())});
    }
    if (error) {
        return folder.string() + ": cannot be listed: " + error.message();
    }
    std::sort(files.begin(), files.end(),
              [](const FolderFile& a, const FolderFile& b) { return a.name < b.name; });

    std::vector<LogFile> logs(files.size());
    // Each thread reuses its buffers and interns the calls of the files it
    // reads into a table of its own: no lock, and a call met again costs a
    // look-up in a table already in the cache.
    std::vector<LogReader> readers(std::max(threads, 1u));
    InParallelOnThreads(
        files.size(), threads,
        [&](std::size_t i, unsigned thread) { logs[i] = ReadOne(files[i], readers[thread]); },
        [&](std::size_t done) {
            if (progress) {
                progress(done, files.size());
            }
        });
    if (progress) {
        progress(files.size(), files.size());
    }
    return logs;
}

}  // namespace zelk::adjudication
