// Laying out the contest folder and the organiser's token.
#include "serve/contest_dir.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "serve/file_store.h"
#include "serve/security.h"

namespace zelk::serve {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kTokenBytes = 32;

void MakeFolder(const fs::path& folder, PreparedDir& prepared) {
    std::error_code error;
    if (fs::create_directory(folder, error)) {
        prepared.made.push_back(folder.string() + "/");
    }
    if (!fs::is_directory(folder, error)) {
        throw std::runtime_error(folder.string() + ": cannot be made a folder" +
                                 (error ? ": " + error.message() : std::string()));
    }
}

// Creates the token file with mode 0600 (never wider, whatever the umask);
// false when it exists already.
bool MakeToken(const fs::path& file, const std::string& token) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (errno == EEXIST) {
            return false;
        }
        throw std::runtime_error(file.string() + ": cannot be made: " + std::strerror(errno));
    }
    const std::string line = token + "\n";
    const bool written =
        ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size()) &&
        ::fsync(fd) == 0;
    ::close(fd);
    if (!written) {
        ::unlink(file.c_str());
        throw std::runtime_error(file.string() + ": cannot be written");
    }
    SyncFolder(file.parent_path());
    return true;
}

}  // namespace

ContestDir::ContestDir(const fs::path& folder)
    : root(fs::absolute(folder).lexically_normal()),
      database(root / "submissions.sqlite"),
      tokenFile(root / "organiser-token"),
      logs(root / "logs"),
      current(root / "current"),
      results(root / "results"),
      published(root / "published") {}

PreparedDir PrepareContestDir(const ContestDir& dir) {
    PreparedDir prepared;
    std::error_code error;
    if (fs::create_directories(dir.root, error)) {
        prepared.made.push_back(dir.root.string() + "/");
    }
    MakeFolder(dir.root, prepared);
    MakeFolder(dir.logs, prepared);

    if (MakeToken(dir.tokenFile, RandomHex(kTokenBytes))) {
        prepared.made.push_back(dir.tokenFile.string() + " (mode 0600)");
    }
    struct stat status {};
    if (::stat(dir.tokenFile.c_str(), &status) == 0 && (status.st_mode & 077) != 0) {
        prepared.warnings.push_back(dir.tokenFile.string() +
                                    " can be read by other users; make it 0600 (chmod 600)");
    }
    std::string token = ReadWholeFile(dir.tokenFile);
    while (!token.empty() &&
           (token.back() == '\n' || token.back() == '\r' || token.back() == ' ')) {
        token.pop_back();
    }
    if (token.size() < 16) {
        throw std::runtime_error(dir.tokenFile.string() +
                                 ": the organiser's token is shorter than 16 characters; remove "
                                 "the file and a new one is made");
    }
    prepared.token = std::move(token);
    return prepared;
}

}  // namespace zelk::serve
