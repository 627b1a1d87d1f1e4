// Settings reads and writes.
#include "plugin/settings.h"

#include "plugin/module_state.h"

namespace zelk {

std::string ReadSetting(ModuleState& state, std::string_view key, std::string_view fallback) {
    state.g_profileBuf = state.platform().ReadProfileString(state.g_settingsSection, key, fallback,
                                                            state.g_settingsFile);
    return state.g_profileBuf;
}

bool WriteSetting(ModuleState& state, std::string_view key, std::string_view value) {
    return state.platform().WriteProfileString(state.g_settingsSection, key, value,
                                               state.g_settingsFile);
}

bool WriteSettingInt(Platform& platform, std::string section, std::string key, int value,
                     std::string file) {
    return platform.WriteProfileString(section, key, std::to_string(value), file);
}

}  // namespace zelk
