// The host's operating-system seam on Linux and other POSIX systems: dlopen
// and dlsym, /proc/self/exe, setenv and the standard input descriptor. Only
// code for POSIX systems belongs here.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <utility>

#include "host/system.h"

namespace zelk::host::os {

std::variant<SharedLibrary, std::string> SharedLibrary::Open(const std::filesystem::path& path) {
    // RTLD_LOCAL keeps the plug-in's symbols to itself, as a Windows DLL's are.
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* message = ::dlerror();
        return std::string(message != nullptr ? message : "cannot be loaded");
    }
    return SharedLibrary(handle);
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)) {}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
    if (this != &other) {
        if (handle_ != nullptr) {
            ::dlclose(handle_);
        }
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

SharedLibrary::~SharedLibrary() {
    if (handle_ != nullptr) {
        ::dlclose(handle_);
    }
}

void* SharedLibrary::Function(const char* name) const {
    return ::dlsym(handle_, name);
}

const char* PluginFileName() {
    return "libStats.so";
}

std::filesystem::path ExecutablePath() {
    std::error_code error;
    auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : path;
}

void SetEnvironment(const char* name, const char* value) {
    ::setenv(name, value, 1);
}

bool StdinIsTerminal() {
    return ::isatty(STDIN_FILENO) != 0;
}

bool StderrIsTerminal() {
    return ::isatty(STDERR_FILENO) != 0;
}

void DetachStdin() {
    if (std::freopen("/dev/null", "r", stdin) == nullptr) {
        ::close(STDIN_FILENO);
    }
}

}  // namespace zelk::host::os
