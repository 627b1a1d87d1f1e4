// The test host's view of Stats.dll: loads the built plug-in as the host
// program does (LoadLibraryA, entry points resolved by name), each test in a
// fresh contest folder of its own with a fresh module state, and calls the
// entry points with the host's full argument lists.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "contest/plugin_abi.h"
#include "scratch_folder.h"

namespace zelk::test {

// The full path of the plug-in under test, set by main().
extern std::string g_pluginPath;

// One contact as the host reports it; the arguments the plug-in ignores are
// passed as empty texts and zeros.
struct Contact {
    std::string ownCall = "UA3ABC";
    std::string call;
    double day = 43600.5;  // 2019-05-15 12:00
    unsigned int freqHz = 14025500;
    std::string mode = "CW";
    std::string rstSent = "599";
    std::string rstRcvd = "599";
    std::string exchSent;
    std::string exchRcvd;
    std::string group = "14";
};

class PluginHost : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Loads the plug-in again: a fresh module state, as after a host restart.
    void Reload();

    // The Plugins folder of the contest folder, with the reference file and
    // the settings file given (each only when not empty).
    void WritePlugins(const std::string& referenceFile, const std::string& settingsFile);
    std::string Setting(const std::string& key);

    int Reset(int cabrilloWanted, const std::string& contestant, double contestDay = 43600.5,
              double fallbackLat = 0.0, double fallbackLong = 0.0);
    int Add(const Contact& contact);
    int Remove(const Contact& contact);
    std::string Result(int* result);
    int CheckCall(const std::string& call, const std::string& mode, const std::string& group,
                  bool wantReference, char* buffer);

    HMODULE m_module = nullptr;
    std::unique_ptr<ScratchFolder> m_folder;

    ZelkGetNumberOfSetsFn m_getNumberOfSets = nullptr;
    ZelkGetSetNameFn m_getSetName = nullptr;
    ZelkSetupSet0Fn m_setupSet0 = nullptr;
    ZelkResetStats0Fn m_resetStats0 = nullptr;
    ZelkAddData0Fn m_addData0 = nullptr;
    ZelkRemoveData0Fn m_removeData0 = nullptr;
    ZelkGetResult0Fn m_getResult0 = nullptr;
    ZelkCheckCall0Fn m_checkCall0 = nullptr;
    ZelkGetExchgCount0Fn m_getExchgCount0 = nullptr;
    ZelkIsValidExchg0Fn m_isValidExchg0 = nullptr;

  private:
    void Load();
    void Unload();
};

}  // namespace zelk::test
