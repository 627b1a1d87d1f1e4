// A platform held in memory for the benchmarks: files and settings in maps,
// dialogs confirmed unchanged, message boxes and host automation answered at
// once. Measures the plug-in's own work without disk noise.
#pragma once

#include <map>
#include <string>

#include "platform/platform.h"

namespace zelk::bench {

class MemoryPlatform : public Platform {
  public:
    std::map<std::string, std::string, std::less<>> files;
    std::map<std::string, std::string, std::less<>> settings;

    std::string ReadProfileString(std::string_view section, std::string_view key,
                                  std::string_view fallback, std::string_view) override {
        const auto it = settings.find(std::string(section) + "|" + std::string(key));
        return it == settings.end() ? std::string(fallback) : it->second;
    }
    bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                            std::string_view) override {
        settings[std::string(section) + "|" + std::string(key)] = value;
        return true;
    }
    void ShowMessage(MessageOwner, const std::string&, const std::optional<std::string>&,
                     MessageIcon) override {}
    int RunSetupDialog(Master&) override { return 1; }
    int RunHeaderDialog(Cabrillo&) override { return 1; }
    std::unique_ptr<AutomationSession> BeginAutomation(HostClassId&) override {
        return std::make_unique<NoHost>();
    }
    std::vector<std::string> ListExecutables() override { return {}; }
    std::optional<FixedFileVersion> ReadFixedFileVersion(const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> ReadTextFile(std::string_view name) override {
        const auto it = files.find(name);
        return it == files.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    bool FileExists(std::string_view name) override { return files.find(name) != files.end(); }
    bool StartFile(std::string_view name, std::string_view content) override {
        files[std::string(name)] = content;
        return true;
    }
    bool AppendToFile(std::string_view name, std::string_view content) override {
        files[std::string(name)] += content;
        return true;
    }
    bool ReplaceFile(std::string_view name, std::string_view content) override {
        files[std::string(name)] = content;
        return true;
    }

  private:
    class NoHost : public AutomationSession {
      public:
        std::unique_ptr<HostDispatch> FindRunningHost() override { return nullptr; }
    };
};

}  // namespace zelk::bench
