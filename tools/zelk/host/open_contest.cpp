// Finding, loading and checking the plug-in, and entering the contest folder.
#include "host/open_contest.h"

#include "host/contest_folder.h"

namespace zelk::host {

namespace {

Checked<fs::path> PluginPath(const Installation& installation) {
    if (!installation.pluginOverride.empty()) {
        return fs::absolute(installation.pluginOverride);
    }
    if (auto found = FindShippedFile(installation.program, os::PluginFileName(), "lib/zelk")) {
        return fs::absolute(*found);
    }
    return std::string("cannot find the plug-in ") + os::PluginFileName() +
           " beside zelk or in ../lib/zelk; give --plugin PATH";
}

}  // namespace

Checked<Plugin> OpenContest(const Installation& installation, const fs::path& folder) {
    if (!IsContestFolder(folder)) {
        return folder.string() + " is not a contest folder (it has no " +
               std::string(kPluginsFolder) + "/" + std::string(kReferenceFile) +
               "); make it one with: zelk init " + folder.string();
    }
    auto path = PluginPath(installation);
    if (auto* problem = Problem(path)) {
        return *problem;
    }
    const fs::path& pluginPath = std::get<fs::path>(path);
    auto loaded = Plugin::Load(pluginPath);
    if (auto* problem = std::get_if<std::string>(&loaded)) {
        return "the plug-in " + pluginPath.string() + " cannot be used: " + *problem;
    }
    Plugin plugin = std::get<Plugin>(std::move(loaded));
    if (plugin.NumberOfSets() < 1 || plugin.SetName(0).empty()) {
        return "the plug-in " + pluginPath.string() + " offers no statistics set";
    }
    std::error_code error;
    fs::current_path(folder, error);
    if (error) {
        return "cannot enter " + folder.string() + ": " + error.message();
    }
    return plugin;
}

}  // namespace zelk::host
