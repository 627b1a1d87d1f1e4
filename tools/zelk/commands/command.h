// The four zelk commands. Each returns the process's exit status and writes
// its results to `out` and its complaints to `err`.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

namespace zelk::host {

enum ExitStatus : int {
    kExitOk = 0,
    kExitFailure = 1,   // the plug-in or the contest folder let the run down
    kExitBadInput = 2,  // wrong arguments, or a log that cannot be read
};

// Where the plug-in and the shipped files are: --plugin, else found from the
// program's own path.
struct Installation {
    std::filesystem::path program;
    std::filesystem::path pluginOverride;  // empty: look beside the program
};

// How a log is read: file, own call, group field and contest folder.
struct LogOptions {
    std::string log;
    std::string call;
    std::string groupBy = "band";
    std::filesystem::path folder = ".";
};

struct ScoreOptions {
    LogOptions input;
    std::string date;  // YYYY-MM-DD; empty: the first contact's date
    bool cabrillo = false;
    std::optional<double> latitude;
    std::optional<double> longitude;
    bool json = false;
    bool yes = false;
};

struct CheckOptions {
    LogOptions input;
    std::string call;
    std::string group;
    std::string mode = "CW";
};

int RunInit(const Installation& installation, const std::filesystem::path& folder,
            const std::optional<std::string>& coordinate, std::ostream& out, std::ostream& err);
int RunScore(const Installation& installation, const ScoreOptions& options, std::ostream& out,
             std::ostream& err);
int RunSetup(const Installation& installation, const std::filesystem::path& folder,
             std::ostream& out, std::ostream& err);
int RunCheck(const Installation& installation, const CheckOptions& options, std::ostream& out,
             std::ostream& err);

}  // namespace zelk::host
