// Loading Stats.dll and calling its entry points (plugin_host.h).
#include "plugin_host.h"

namespace zelk::test {

std::string g_pluginPath;

namespace {

template <typename Function>
void Resolve(HMODULE module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    ASSERT_NE(function, nullptr) << name;
}

constexpr const char* kIni = "Plugins\\ZELK.ini";

}  // namespace

void PluginHost::SetUp() {
    m_folder = std::make_unique<ScratchFolder>(
        std::string("host-") + testing::UnitTest::GetInstance()->current_test_info()->name());
    Load();
}

void PluginHost::TearDown() {
    Unload();
    m_folder.reset();
}

void PluginHost::Reload() {
    Unload();
    Load();
}

void PluginHost::Load() {
    m_module = LoadLibraryA(g_pluginPath.c_str());
    ASSERT_NE(m_module, nullptr) << "cannot load " << g_pluginPath;
    Resolve(m_module, "GetNumberOfSets", m_getNumberOfSets);
    Resolve(m_module, "GetSetName", m_getSetName);
    Resolve(m_module, "SetupSet0", m_setupSet0);
    Resolve(m_module, "ResetStats0", m_resetStats0);
    Resolve(m_module, "AddData0", m_addData0);
    Resolve(m_module, "RemoveData0", m_removeData0);
    Resolve(m_module, "GetResult0", m_getResult0);
    Resolve(m_module, "CheckCall0", m_checkCall0);
    Resolve(m_module, "GetExchgCount0", m_getExchgCount0);
    Resolve(m_module, "IsValidExchg0", m_isValidExchg0);
}

void PluginHost::Unload() {
    if (m_module != nullptr) {
        FreeLibrary(m_module);
        m_module = nullptr;
    }
}

void PluginHost::WritePlugins(const std::string& referenceFile, const std::string& settingsFile) {
    CreateDirectoryA("Plugins", nullptr);
    if (!referenceFile.empty()) {
        WriteBytes("Plugins\\zelk.dat", referenceFile);
    }
    if (!settingsFile.empty()) {
        WriteBytes(kIni, settingsFile);
    }
}

std::string PluginHost::Setting(const std::string& key) {
    char value[1024] = {};
    GetPrivateProfileStringA("Settings", key.c_str(), "<absent>", value, sizeof value, kIni);
    return value;
}

int PluginHost::Reset(int cabrilloWanted, const std::string& contestant, double contestDay,
                      double fallbackLat, double fallbackLong) {
    const ZelkOleDateTime unused{0.0, kZelkDateTimeValid};
    const ZelkOleDateTime contestTime{contestDay, kZelkDateTimeValid};
    return m_resetStats0("", cabrilloWanted, contestant.c_str(), &unused, &contestTime, "", "", "",
                         "", "", "", "", "", "", "", 0, 0, 0, fallbackLat, fallbackLong, "", "",
                         "");
}

int PluginHost::Add(const Contact& c) {
    const ZelkOleDateTime time{c.day, kZelkDateTimeValid};
    const ZelkOleDateTime unused{0.0, kZelkDateTimeValid};
    return m_addData0(c.ownCall.c_str(), c.call.c_str(), &time, &unused, &unused, &unused, 0,
                      c.freqHz, c.mode.c_str(), c.rstSent.c_str(), c.rstRcvd.c_str(),
                      c.exchSent.c_str(), c.exchRcvd.c_str(), "", "", "", "", "", "", "", "", "",
                      "", 0, 0, 0, 0.0, 0.0, "", "", "", c.group.c_str(), "");
}

int PluginHost::Remove(const Contact& c) {
    const ZelkOleDateTime time{c.day, kZelkDateTimeValid};
    const ZelkOleDateTime unused{0.0, kZelkDateTimeValid};
    return m_removeData0(c.ownCall.c_str(), c.call.c_str(), &time, &unused, &unused, &unused, 0,
                         c.freqHz, c.mode.c_str(), c.rstSent.c_str(), c.rstRcvd.c_str(),
                         c.exchSent.c_str(), c.exchRcvd.c_str(), "", "", "", "", "", "", "", "", "",
                         "", 0, 0, 0, 0.0, 0.0, "", "", "", c.group.c_str(), "");
}

std::string PluginHost::Result(int* result) {
    const char* report = m_getResult0(result);
    return report != nullptr ? report : "<null>";
}

int PluginHost::CheckCall(const std::string& call, const std::string& mode,
                          const std::string& group, bool wantReference, char* buffer) {
    char want[1] = {};
    return m_checkCall0(call.c_str(), 0, 0, mode.c_str(), "", "", "", "", "", "", "", "", "", "", 0,
                        0, 0, 0.0, 0.0, "", "", "", "", "", group.c_str(), "",
                        wantReference ? want : nullptr, buffer);
}

}  // namespace zelk::test
