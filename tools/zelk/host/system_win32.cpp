// The host's operating-system seam on Windows: LoadLibraryA and
// GetProcAddress, GetModuleFileNameA, the C runtime's environment and its
// standard input. Only code for Windows belongs here.
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "host/system.h"

namespace zelk::host::os {

std::variant<SharedLibrary, std::string> SharedLibrary::Open(const std::filesystem::path& path) {
    HMODULE module = ::LoadLibraryA(path.string().c_str());
    if (module == nullptr) {
        return "cannot be loaded (Windows error " + std::to_string(::GetLastError()) + ")";
    }
    return SharedLibrary(reinterpret_cast<void*>(module));
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)) {}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
    if (this != &other) {
        if (handle_ != nullptr) {
            ::FreeLibrary(static_cast<HMODULE>(handle_));
        }
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

SharedLibrary::~SharedLibrary() {
    if (handle_ != nullptr) {
        ::FreeLibrary(static_cast<HMODULE>(handle_));
    }
}

void* SharedLibrary::Function(const char* name) const {
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle_), name));
}

const char* PluginFileName() {
    return "Stats.dll";
}

std::filesystem::path ExecutablePath() {
    char buffer[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    if (length == 0 || length == MAX_PATH) {
        return {};
    }
    return std::filesystem::path(std::string(buffer, length));
}

void SetEnvironment(const char* name, const char* value) {
    ::_putenv_s(name, value);
}

bool StdinIsTerminal() {
    return ::_isatty(::_fileno(stdin)) != 0;
}

bool StderrIsTerminal() {
    return ::_isatty(::_fileno(stderr)) != 0;
}

void DetachStdin() {
    std::freopen("NUL", "r", stdin);
}

}  // namespace zelk::host::os
