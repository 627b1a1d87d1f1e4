// The POSIX platform. This file holds only code for POSIX systems.
#include "platform/posix/posix_platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "platform/default_platform.h"
#include "platform/posix/dialog_forms.h"
#include "platform/file_replace.h"
#include "platform/posix/file_io.h"
#include "platform/posix/pe_version.h"
#include "platform/posix/profile_file.h"

namespace zelk {
namespace {

class NoHostSession final : public AutomationSession {
  public:
    std::unique_ptr<HostDispatch> FindRunningHost() override { return nullptr; }
};

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != text.npos;
}

bool EndsWithExe(std::string_view name) {
    constexpr std::string_view kExtension = ".exe";
    if (name.size() < kExtension.size()) {
        return false;
    }
    std::string_view tail = name.substr(name.size() - kExtension.size());
    for (std::size_t i = 0; i < tail.size(); ++i) {
        char c =
            tail[i] >= 'A' && tail[i] <= 'Z' ? static_cast<char>(tail[i] - 'A' + 'a') : tail[i];
        if (c != kExtension[i]) {
            return false;
        }
    }
    return true;
}

bool IsRegularFile(const dirent& entry) {
    if (entry.d_type == DT_REG) {
        return true;
    }
    if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK) {
        return false;
    }
    struct stat info {};
    return ::stat(entry.d_name, &info) == 0 && S_ISREG(info.st_mode);
}

bool HasTerminal() {
    return ::isatty(STDIN_FILENO) == 1 && ::isatty(STDOUT_FILENO) == 1;
}

// An executable larger than this is not a host worth reading whole.
constexpr off_t kLargestExecutable = off_t{1} << 30;

}  // namespace

std::string PosixPlatform::ReadProfileString(std::string_view section, std::string_view key,
                                             std::string_view fallback, std::string_view file) {
    std::optional<std::string> bytes = posix::ReadWholeFile(posix::HostPath(file));
    std::optional<std::string> value =
        bytes ? posix::FindProfileValue(posix::ProfileText(*bytes), section, key) : std::nullopt;
    return value ? *value : std::string(fallback);
}

bool PosixPlatform::WriteProfileString(std::string_view section, std::string_view key,
                                       std::string_view value, std::string_view file) {
    if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) {
        return false;
    }
    std::string path = posix::HostPath(file);
    std::optional<std::string> text = posix::ReadWholeFile(path);
    if (!text) {
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0 || errno != ENOENT) {
            return false;  // there, but unreadable: never overwrite it blind
        }
        text.emplace();
    }
    if (posix::IsUtf16Profile(*text)) {
        return false;  // left as it is rather than written in two encodings
    }
    std::string updated = posix::SetProfileValue(*text, section, key, value);
    if (updated == *text && ::access(path.c_str(), F_OK) == 0) {
        // Nothing changes: spare the host a synchronous rewrite (the result
        // request stores the same claimed score again and again).
        return true;
    }
    return !ReplaceFileWhole(path, updated);
}

void PosixPlatform::ShowMessage(MessageOwner, const std::string& text,
                                const std::optional<std::string>& caption, MessageIcon) {
    std::string line = caption.value_or("Error") + ": " + text + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

int PosixPlatform::RunSetupDialog(Master& dialog) {
    if (HasTerminal()) {
        return posix::RunSetupDialogOn(dialog, std::cin, std::cout);
    }
    return posix::RunSetupDialogUnattended(dialog, std::getenv("ZELK_DIALOG"), std::cerr);
}

int PosixPlatform::RunHeaderDialog(Cabrillo& dialog) {
    if (HasTerminal()) {
        return posix::RunHeaderDialogOn(dialog, std::cin, std::cout);
    }
    return posix::RunHeaderDialogUnattended(dialog, std::getenv("ZELK_DIALOG"), std::cerr);
}

std::unique_ptr<AutomationSession> PosixPlatform::BeginAutomation(HostClassId&) {
    return std::make_unique<NoHostSession>();
}

std::vector<std::string> PosixPlatform::ListExecutables() {
    std::vector<std::string> names;
    std::unique_ptr<DIR, int (*)(DIR*)> folder(::opendir("."), ::closedir);
    if (!folder) {
        return names;
    }
    while (const dirent* entry = ::readdir(folder.get())) {
        if (EndsWithExe(entry->d_name) && IsRegularFile(*entry)) {
            names.emplace_back(entry->d_name);
        }
    }
    return names;
}

std::optional<FixedFileVersion> PosixPlatform::ReadFixedFileVersion(const std::string& name) {
    std::string path = posix::HostPath(name);
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size > kLargestExecutable) {
        return std::nullopt;
    }
    std::optional<std::string> image = posix::ReadWholeFile(path);
    if (!image) {
        return std::nullopt;
    }
    return posix::FixedFileVersionOfImage(
        {reinterpret_cast<const uint8_t*>(image->data()), image->size()});
}

std::optional<std::string> PosixPlatform::ReadTextFile(std::string_view name) {
    std::optional<std::string> bytes = posix::ReadWholeFile(posix::HostPath(name));
    if (!bytes) {
        return std::nullopt;
    }
    // Text mode: a CR right before an LF is dropped; a lone CR stays.
    std::string text;
    text.reserve(bytes->size());
    for (std::size_t i = 0; i < bytes->size(); ++i) {
        if ((*bytes)[i] == '\r' && i + 1 < bytes->size() && (*bytes)[i + 1] == '\n') {
            continue;
        }
        text += (*bytes)[i];
    }
    return text;
}

bool PosixPlatform::FileExists(std::string_view name) {
    struct stat info {};
    return ::stat(posix::HostPath(name).c_str(), &info) == 0;
}

bool PosixPlatform::StartFile(std::string_view name, std::string_view content) {
    return posix::WriteWholeFile(posix::HostPath(name), O_WRONLY | O_CREAT | O_TRUNC, content);
}

bool PosixPlatform::AppendToFile(std::string_view name, std::string_view content) {
    return posix::WriteWholeFile(posix::HostPath(name), O_WRONLY | O_CREAT | O_APPEND, content);
}

bool PosixPlatform::ReplaceFile(std::string_view name, std::string_view content) {
    return !ReplaceFileWhole(posix::HostPath(name), content);
}

Platform& DefaultPlatform() {
    static PosixPlatform platform;
    return platform;
}

}  // namespace zelk
