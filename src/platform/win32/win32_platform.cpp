// Win32Platform: the settings store (private profile functions), message
// boxes and the host executable's version. Dialogs, automation and files have
// files of their own in this folder.
#include "platform/win32/win32_platform.h"

#include <cstdio>
#include <vector>

#include "platform/default_platform.h"

namespace zelk {
namespace {

// Any function of this module: its address names the module to
// GetModuleHandleExA.
void ModuleAnchor() {}

std::string Text(std::string_view view) {
    return std::string(view);
}

}  // namespace

Win32Platform::Win32Platform() {
    GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&ModuleAnchor), &m_module);
}

Platform& DefaultPlatform() {
    static Win32Platform platform;
    return platform;
}

std::string Win32Platform::ReadProfileString(std::string_view section, std::string_view key,
                                             std::string_view fallback, std::string_view file) {
    const std::string sectionText = Text(section);
    const std::string keyText = Text(key);
    const std::string fallbackText = Text(fallback);
    const std::string fileText = Text(file);
    // A value that does not fit comes back cut with a length of size - 1:
    // grow the buffer until the whole value fits.
    std::vector<char> buffer(256);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length =
            GetPrivateProfileStringA(sectionText.c_str(), keyText.c_str(), fallbackText.c_str(),
                                     buffer.data(), size, fileText.c_str());
        if (length < size - 1) {
            return std::string(buffer.data(), length);
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool Win32Platform::WriteProfileString(std::string_view section, std::string_view key,
                                       std::string_view value, std::string_view file) {
    return WritePrivateProfileStringA(Text(section).c_str(), Text(key).c_str(), Text(value).c_str(),
                                      Text(file).c_str()) != FALSE;
}

void Win32Platform::ShowMessage(MessageOwner owner, const std::string& text,
                                const std::optional<std::string>& caption, MessageIcon icon) {
    if (ScriptedDialogAnswer()) {
        const std::string line = caption.value_or("Error") + ": " + text + "\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
        return;
    }
    const HWND ownerWindow = owner == MessageOwner::ActiveWindow ? GetActiveWindow() : nullptr;
    const UINT flags = icon == MessageIcon::Information ? MB_OK | MB_ICONINFORMATION : MB_OK;
    MessageBoxA(ownerWindow, text.c_str(), caption ? caption->c_str() : nullptr, flags);
}

std::vector<std::string> Win32Platform::ListExecutables() {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry{};
    const HANDLE search = FindFirstFileA("*.exe", &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        names.emplace_back(entry.cFileName);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return names;
}

std::optional<FixedFileVersion> Win32Platform::ReadFixedFileVersion(const std::string& name) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(name.c_str(), &ignored);
    if (size == 0) {
        return std::nullopt;
    }
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(name.c_str(), 0, size, block.data())) {
        return std::nullopt;
    }
    void* value = nullptr;
    UINT length = 0;
    char root[] = "\\";
    if (!VerQueryValueA(block.data(), root, &value, &length) || value == nullptr ||
        length < sizeof(VS_FIXEDFILEINFO)) {
        return std::nullopt;
    }
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(value);
    if (info->dwSignature != 0xFEEF04BD) {
        return std::nullopt;
    }
    return FixedFileVersion{info->dwFileVersionMS, info->dwFileVersionLS};
}

}  // namespace zelk
