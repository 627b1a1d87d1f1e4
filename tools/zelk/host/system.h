// What the zelk host needs from the operating system, behind one seam:
// loading a shared library and finding its functions, the path of the running
// program, and the process environment and standard input. system_posix.cpp
// and system_win32.cpp implement it; nothing else here includes an
// operating-system header.
#pragma once

#include <filesystem>
#include <string>
#include <variant>

namespace zelk::host::os {

// A loaded shared library, unloaded when the object goes.
class SharedLibrary {
  public:
    // The library, or the loader's message when it cannot be loaded.
    static std::variant<SharedLibrary, std::string> Open(const std::filesystem::path& path);

    SharedLibrary(SharedLibrary&& other) noexcept;
    SharedLibrary& operator=(SharedLibrary&& other) noexcept;
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;
    ~SharedLibrary();

    // The exported function of that plain name, or null.
    void* Function(const char* name) const;

  private:
    explicit SharedLibrary(void* handle) : handle_(handle) {}
    void* handle_ = nullptr;
};

// The file name of the plug-in library on this platform.
const char* PluginFileName();

// The running program's own file, or empty when it cannot be told.
std::filesystem::path ExecutablePath();

void SetEnvironment(const char* name, const char* value);

// Whether standard input is a terminal, and a way to make it not one (it is
// reopened on the null device) so that nothing waits for typing.
bool StdinIsTerminal();
void DetachStdin();

// Whether standard error is a terminal, where a progress line may be redrawn.
bool StderrIsTerminal();

}  // namespace zelk::host::os
