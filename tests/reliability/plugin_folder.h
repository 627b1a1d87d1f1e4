// The native reliability tests' setting: the built libStats.so loaded as a
// host loads it, a scratch contest folder as the current folder, and ways to
// run calls with standard error captured, in a child process under a file
// size limit, or as an unprivileged user.
#pragma once

#include <dlfcn.h>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>

#include "plugin_calls.h"

// Present when the tests are built with a leak checker.
extern "C" int __lsan_do_recoverable_leak_check() __attribute__((weak));

namespace zelk::reliability {

namespace fs = std::filesystem;

inline std::optional<std::string> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void WriteFile(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

// libStats.so, its entry points resolved by their plain names.
class LoadedPlugin {
  public:
    LoadedPlugin() {
        m_handle = ::dlopen(ZELK_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
        if (m_handle == nullptr) {
            ADD_FAILURE() << ::dlerror();
            return;
        }
        Resolve(m_entry.getNumberOfSets, "GetNumberOfSets");
        Resolve(m_entry.getSetName, "GetSetName");
        Resolve(m_entry.setupSet0, "SetupSet0");
        Resolve(m_entry.resetStats0, "ResetStats0");
        Resolve(m_entry.addData0, "AddData0");
        Resolve(m_entry.removeData0, "RemoveData0");
        Resolve(m_entry.getResult0, "GetResult0");
        Resolve(m_entry.checkCall0, "CheckCall0");
        Resolve(m_entry.getExchgCount0, "GetExchgCount0");
        Resolve(m_entry.isValidExchg0, "IsValidExchg0");
    }
    ~LoadedPlugin() {
        if (m_handle != nullptr) {
            ::dlclose(m_handle);
        }
    }
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    const EntryPoints& Entry() const { return m_entry; }

  private:
    template <typename Fn>
    void Resolve(Fn& fn, const char* name) {
        fn = reinterpret_cast<Fn>(::dlsym(m_handle, name));
        if (fn == nullptr) {
            ADD_FAILURE() << "missing export " << name;
        }
    }

    void* m_handle = nullptr;
    EntryPoints m_entry;
};

// How a child process runs its calls.
struct ChildLimits {
    std::optional<rlim_t> fileSizeLimit;  // RLIMIT_FSIZE, with SIGXFSZ ignored
    bool unprivileged = false;            // as user and group "nobody" when root

    static ChildLimits FileSize(rlim_t bytes) { return {bytes, false}; }
    static ChildLimits Unprivileged() { return {std::nullopt, true}; }
};

struct ChildOutcome {
    bool skipped = false;       // could not drop privileges
    bool clean = false;         // exited normally with no failed expectation
    std::string description;    // how it ended, for a failure message
    std::string standardError;  // what it wrote on standard error
};

// A scratch contest folder as the current folder, with the plug-in loaded.
class PluginFolder : public ::testing::Test {
  protected:
    static constexpr uid_t kNobody = 65534;
    static constexpr int kCannotDropPrivileges = 77;

    void SetUp() override {
        m_previous = fs::current_path();
        const std::string name = "zelk-rel-" + std::to_string(::getpid()) + "-" +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        m_root = fs::temp_directory_path() / name;
        RemoveTree(m_root);
        folder = m_root / "contest";
        fs::create_directories(m_root);
        // An unprivileged child must be able to reach the folder.
        fs::permissions(m_root, fs::perms::owner_all | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read |
                                    fs::perms::others_exec);
        ::setenv("ZELK_DIALOG", "ok", 1);
        FreshFolder();
    }

    // An empty contest folder as the current folder, holding only the
    // reference file.
    void FreshFolder() {
        fs::current_path(m_root);
        RemoveTree(folder);
        fs::create_directories(folder / "Plugins");
        fs::current_path(folder);
        WriteFile("Plugins/zelk.dat", "UA1AA 55N37O\r\nRK3ZZ Moscow club\r\n");
    }

    void TearDown() override {
        fs::current_path(m_previous);
        RemoveTree(m_root);
    }

    // Runs `calls` in this process with standard error sent to a file;
    // returns what was written there.
    std::string CaptureStandardError(const std::function<void()>& calls) {
        const fs::path capture = m_root / "stderr.txt";
        std::fflush(stderr);
        const int saved = ::dup(STDERR_FILENO);
        const int file = ::open(capture.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(file, STDERR_FILENO);
        ::close(file);
        calls();
        std::fflush(stderr);
        ::dup2(saved, STDERR_FILENO);
        ::close(saved);
        return ReadFile(capture).value_or("");
    }

    // Runs `calls` in a child process; expectations inside it are reported
    // on its standard output and make it end unclean.
    ChildOutcome RunInChild(const ChildLimits& limits, const std::function<void()>& calls) {
        const fs::path capture = m_root / "child-stderr.txt";
        const int file = ::open(capture.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        std::fflush(stdout);
        std::fflush(stderr);
        const pid_t child = ::fork();
        if (child == 0) {
            ::dup2(file, STDERR_FILENO);
            if (limits.unprivileged && ::geteuid() == 0 &&
                (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 ||
                 ::setuid(kNobody) != 0)) {
                ::_exit(kCannotDropPrivileges);
            }
            if (limits.fileSizeLimit) {
                ::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{*limits.fileSizeLimit, *limits.fileSizeLimit};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
            if (limits.unprivileged) {
                // A changed user makes the process undumpable, which stops the
                // leak checker from inspecting it.
                ::prctl(PR_SET_DUMPABLE, 1);
            }
            calls();
            std::fflush(stdout);
            std::fflush(stderr);
            // _exit skips the leak check that a normal exit runs.
            const bool leaked = __lsan_do_recoverable_leak_check != nullptr &&
                                __lsan_do_recoverable_leak_check() != 0;
            ::_exit(::testing::Test::HasFailure() || leaked ? 1 : 0);
        }
        ::close(file);
        ChildOutcome outcome;
        int status = 0;
        if (child < 0 || ::waitpid(child, &status, 0) != child) {
            outcome.description = "the child process could not be run";
            return outcome;
        }
        outcome.standardError = ReadFile(capture).value_or("");
        if (WIFEXITED(status)) {
            outcome.skipped = WEXITSTATUS(status) == kCannotDropPrivileges;
            outcome.clean = WEXITSTATUS(status) == 0;
            outcome.description = "exit code " + std::to_string(WEXITSTATUS(status));
        } else if (WIFSIGNALED(status)) {
            outcome.description = "killed by signal " + std::to_string(WTERMSIG(status));
        }
        outcome.description += "; standard error: " + outcome.standardError;
        return outcome;
    }

    static void RemoveTree(const fs::path& path) {
        std::error_code ignored;
        // Folders made read-only by a test must be writable again to be emptied.
        if (fs::exists(path, ignored)) {
            for (const auto& entry : fs::recursive_directory_iterator(path, ignored)) {
                if (entry.is_directory(ignored)) {
                    fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add,
                                    ignored);
                }
            }
            fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ignored);
        }
        fs::remove_all(path, ignored);
    }

    fs::path folder;
    LoadedPlugin plugin;

  private:
    fs::path m_previous;
    fs::path m_root;
};

}  // namespace zelk::reliability
