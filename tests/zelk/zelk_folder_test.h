// What the tests that run the zelk program share: a temporary folder of the
// test's own, removed afterwards, where zelk runs as a user runs it, and
// reading and writing whole files. ZELK_PROGRAM names the program.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

namespace zelk::testing {

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// Makes the file's folder when it is not there.
inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// Every file under `folder` (through links to files, not to folders), by its
// path inside it.
inline std::map<std::string, std::string> FilesUnder(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[std::filesystem::relative(entry.path(), folder).generic_string()] =
                ReadFile(entry.path());
        }
    }
    return files;
}

struct ZelkRun {
    int status = -1;
    std::string out;
    std::string err;
};

class ZelkFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = std::filesystem::temp_directory_path() /
                ("zelk-test-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(root_);
    }
    void TearDown() override { std::filesystem::remove_all(root_); }

    // zelk with `arguments` (shell words), run in the test's folder.
    ZelkRun Zelk(const std::string& arguments) const {
        const std::string command = "cd '" + root_.string() + "' && '" ZELK_PROGRAM "' " +
                                    arguments + " >out.txt 2>err.txt </dev/null";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(root_ / "out.txt"),
                ReadFile(root_ / "err.txt")};
    }

    std::filesystem::path root_;
};

}  // namespace zelk::testing
