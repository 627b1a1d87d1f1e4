// An in-memory platform for the core tests: settings, files and executables
// held in maps, dialogs answered by scripts, message boxes and host commands
// recorded, and any write made to fail on request.
#pragma once

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "contest/cabrillo_dialog.h"
#include "contest/master_dialog.h"
#include "platform/platform.h"

namespace zelk::testing {

struct ShownMessage {
    MessageOwner owner;
    std::string text;
    std::optional<std::string> caption;
    MessageIcon icon;
};

struct SettingsWrite {
    std::string key;
    std::string value;
};

class FakePlatform : public Platform {
  public:
    // Settings, keyed by lower-cased section and key, as the profile matches them.
    std::map<std::string, std::string> settings;
    std::vector<SettingsWrite> settingsWrites;
    bool failSettingsWrites = false;

    std::vector<ShownMessage> messages;

    // Dialog scripts: edit the dialog's fields and return the ending button.
    std::function<int(Master&)> setupDialog = [](Master&) { return 1; };
    std::function<int(Cabrillo&)> headerDialog = [](Cabrillo&) { return 1; };
    int setupDialogsShown = 0;
    int headerDialogsShown = 0;

    // Files of the current folder by the name the plug-in uses.
    std::map<std::string, std::string> files;
    std::set<std::string> failingFiles;  // writes to these names fail
    std::set<std::string> unreadableFiles;
    int appendCalls = 0;

    // Executables in listing order, and their versions.
    std::vector<std::string> executables;
    std::map<std::string, FixedFileVersion> versions;

    // The host: absent until `hostAppearsAtAttempt` attempts have begun.
    int hostAppearsAtAttempt = 0;  // 0: never
    int automationAttempts = 0;
    int openSessions = 0;
    std::vector<std::string> hostCommands;
    int failCommandsLeft = 0;

    static std::string Key(std::string_view section, std::string_view key) {
        std::string k = std::string(section) + "|" + std::string(key);
        std::transform(k.begin(), k.end(), k.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return k;
    }

    std::optional<std::string> Setting(std::string_view key) const {
        auto it = settings.find(Key("Settings", key));
        return it == settings.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    void SetSetting(std::string_view key, std::string_view value) {
        settings[Key("Settings", key)] = std::string(value);
    }

    std::string ReadProfileString(std::string_view section, std::string_view key,
                                  std::string_view fallback, std::string_view) override {
        auto it = settings.find(Key(section, key));
        return it == settings.end() ? std::string(fallback) : it->second;
    }
    bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                            std::string_view) override {
        if (failSettingsWrites) {
            return false;
        }
        settings[Key(section, key)] = std::string(value);
        settingsWrites.push_back({std::string(key), std::string(value)});
        return true;
    }

    void ShowMessage(MessageOwner owner, const std::string& text,
                     const std::optional<std::string>& caption, MessageIcon icon) override {
        messages.push_back({owner, text, caption, icon});
    }

    int RunSetupDialog(Master& dialog) override {
        ++setupDialogsShown;
        Master copy = dialog;
        const int result = setupDialog(copy);
        if (result == 1) {
            dialog = copy;
        }
        return result;
    }
    int RunHeaderDialog(Cabrillo& dialog) override {
        ++headerDialogsShown;
        Cabrillo copy = dialog;
        const int result = headerDialog(copy);
        if (result == 1) {
            dialog = copy;
        }
        return result;
    }

    class FakeHost : public HostDispatch {
      public:
        explicit FakeHost(FakePlatform& owner) : m_owner(owner) {}
        bool SendHostCommand(const std::string& text) override {
            if (m_owner.failCommandsLeft > 0) {
                --m_owner.failCommandsLeft;
                return false;
            }
            m_owner.hostCommands.push_back(text);
            return true;
        }

      private:
        FakePlatform& m_owner;
    };

    class FakeSession : public AutomationSession {
      public:
        explicit FakeSession(FakePlatform& owner) : m_owner(owner) { ++m_owner.openSessions; }
        ~FakeSession() override { --m_owner.openSessions; }
        std::unique_ptr<HostDispatch> FindRunningHost() override {
            if (m_owner.hostAppearsAtAttempt == 0 ||
                m_owner.automationAttempts < m_owner.hostAppearsAtAttempt) {
                return nullptr;
            }
            return std::make_unique<FakeHost>(m_owner);
        }

      private:
        FakePlatform& m_owner;
    };

    std::unique_ptr<AutomationSession> BeginAutomation(HostClassId&) override {
        ++automationAttempts;
        return std::make_unique<FakeSession>(*this);
    }

    std::vector<std::string> ListExecutables() override { return executables; }
    std::optional<FixedFileVersion> ReadFixedFileVersion(const std::string& name) override {
        auto it = versions.find(name);
        return it == versions.end() ? std::nullopt : std::optional<FixedFileVersion>(it->second);
    }

    std::optional<std::string> ReadTextFile(std::string_view name) override {
        auto it = files.find(std::string(name));
        if (it == files.end() || unreadableFiles.count(std::string(name))) {
            return std::nullopt;
        }
        std::string text;
        for (std::size_t i = 0; i < it->second.size(); ++i) {
            if (!(it->second[i] == '\r' && i + 1 < it->second.size() &&
                  it->second[i + 1] == '\n')) {
                text += it->second[i];
            }
        }
        return text;
    }
    bool FileExists(std::string_view name) override { return files.count(std::string(name)) > 0; }
    bool StartFile(std::string_view name, std::string_view content) override {
        if (failingFiles.count(std::string(name))) {
            return false;
        }
        files[std::string(name)] = std::string(content);
        return true;
    }
    bool AppendToFile(std::string_view name, std::string_view content) override {
        ++appendCalls;
        if (failingFiles.count(std::string(name))) {
            return false;
        }
        files[std::string(name)] += content;
        return true;
    }
    bool ReplaceFile(std::string_view name, std::string_view content) override {
        if (failingFiles.count(std::string(name))) {
            return false;
        }
        files[std::string(name)] = std::string(content);
        return true;
    }
};

}  // namespace zelk::testing
