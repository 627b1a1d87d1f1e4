// A fresh, empty folder made the current folder for one test, as the host's
// current folder is for the plug-in; the previous current folder comes back
// afterwards. It lies beside the test program, in the build tree, whatever
// folder the program was started from, and stays for inspection until the
// next run.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

namespace zelk::test {

inline std::string CurrentFolder() {
    char path[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, path);
    return path;
}

// The folder of the running program.
inline std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/"));
}

inline void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA entry{};
    const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            const std::string path = folder + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& name)
        : m_previous(CurrentFolder()), m_path(ProgramFolder() + "\\" + name) {
        RemoveTree(m_path);
        CreateDirectoryA(m_path.c_str(), nullptr);
        SetCurrentDirectoryA(m_path.c_str());
    }
    ~ScratchFolder() { SetCurrentDirectoryA(m_previous.c_str()); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return m_path; }

  private:
    std::string m_previous;
    std::string m_path;
};

// Whole files, byte for byte.
inline std::string ReadBytes(const std::string& name) {
    std::string content;
    if (FILE* stream = std::fopen(name.c_str(), "rb")) {
        char buffer[4096];
        std::size_t count = 0;
        while ((count = std::fread(buffer, 1, sizeof buffer, stream)) > 0) {
            content.append(buffer, count);
        }
        std::fclose(stream);
    }
    return content;
}

inline void WriteBytes(const std::string& name, const std::string& content) {
    if (FILE* stream = std::fopen(name.c_str(), "wb")) {
        std::fwrite(content.data(), 1, content.size(), stream);
        std::fclose(stream);
    }
}

inline bool Exists(const std::string& name) {
    return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace zelk::test
