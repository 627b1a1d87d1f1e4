// The contest folder read on worker threads.
#include "adjudication/log_folder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "adjudication/in_parallel.h"

namespace zelk::adjudication {

namespace fs = std::filesystem;

namespace {

struct FolderFile {
    fs::path path;
    std::string name;
};

LogFile ReadOne(const FolderFile& file) {
    std::error_code error;
    const fs::file_status status = fs::status(file.path, error);
    if (!error && !fs::is_regular_file(status)) {
        return UnreadableFile(file.name, "is not a regular file");
    }
    const std::uintmax_t size = error ? 0 : fs::file_size(file.path, error);
    if (!error && size > kMaxLogBytes) {
        return UnreadableFile(file.name, LogTooLargeReason(size));
    }
    const fs::file_time_type modified =
        error ? fs::file_time_type() : fs::last_write_time(file.path, error);
    if (error) {
        return UnreadableFile(file.name, "cannot be read: " + error.message());
    }
    std::ifstream in(file.path, std::ios::binary);
    if (!in) {
        return UnreadableFile(file.name, std::string("cannot be read: ") + std::strerror(errno));
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (static_cast<std::size_t>(in.gcount()) != bytes.size() || in.bad() ||
        in.peek() != std::ifstream::traits_type::eof()) {
        return UnreadableFile(file.name, "cannot be read whole: it changed while it was read");
    }
    return ReadLogFile(file.name, std::move(bytes),
                       static_cast<int64_t>(modified.time_since_epoch().count()));
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
    InParallel(
        files.size(), threads, [&](std::size_t i) { logs[i] = ReadOne(files[i]); },
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
