// The recording platform and the core's entry points behind the binary
// interface.
#include "core_entry_points.h"

#include "plugin/entry_points.h"

namespace zelk::fuzz {

std::string RecordingPlatform::ReadProfileString(std::string_view section, std::string_view key,
                                                 std::string_view fallback, std::string_view file) {
    return m_posix.ReadProfileString(section, key, fallback, file);
}
bool RecordingPlatform::WriteProfileString(std::string_view section, std::string_view key,
                                           std::string_view value, std::string_view file) {
    return m_posix.WriteProfileString(section, key, value, file);
}
void RecordingPlatform::ShowMessage(MessageOwner, const std::string& text,
                                    const std::optional<std::string>& caption, MessageIcon) {
    messages.push_back({text, caption});
}
int RecordingPlatform::RunSetupDialog(Master& dialog) {
    return m_posix.RunSetupDialog(dialog);
}
int RecordingPlatform::RunHeaderDialog(Cabrillo& dialog) {
    return m_posix.RunHeaderDialog(dialog);
}
std::unique_ptr<AutomationSession> RecordingPlatform::BeginAutomation(HostClassId& clsid) {
    return m_posix.BeginAutomation(clsid);
}
std::vector<std::string> RecordingPlatform::ListExecutables() {
    return m_posix.ListExecutables();
}
std::optional<FixedFileVersion> RecordingPlatform::ReadFixedFileVersion(const std::string& name) {
    return m_posix.ReadFixedFileVersion(name);
}
std::optional<std::string> RecordingPlatform::ReadTextFile(std::string_view name) {
    return m_posix.ReadTextFile(name);
}
bool RecordingPlatform::FileExists(std::string_view name) {
    return m_posix.FileExists(name);
}
bool RecordingPlatform::StartFile(std::string_view name, std::string_view content) {
    return m_posix.StartFile(name, content);
}
bool RecordingPlatform::AppendToFile(std::string_view name, std::string_view content) {
    return m_posix.AppendToFile(name, content);
}
bool RecordingPlatform::ReplaceFile(std::string_view name, std::string_view content) {
    return m_posix.ReplaceFile(name, content);
}

namespace {

ModuleState* g_state = nullptr;

int CoreGetNumberOfSets() {
    return GetNumberOfSets();
}

const char* CoreGetSetName(int index) {
    return GetSetName(index);
}

void CoreSetupSet0() {
    SetupSet0(*g_state);
}

int CoreResetStats0(const char*, int cabrilloWanted, const char* contestant, const ZelkOleDateTime*,
                    const ZelkOleDateTime* contestTime, const char*, const char*, const char*,
                    const char*, const char*, const char*, const char*, const char*, const char*,
                    const char*, int, int, int, double lat, double lon, const char*, const char*,
                    const char*) {
    return ResetStats0(*g_state, ResetFromHost(cabrilloWanted, contestant, contestTime, lat, lon));
}

int CoreAddData0(const char* ownCall, const char* call, const ZelkOleDateTime* time,
                 const ZelkOleDateTime*, const ZelkOleDateTime*, const ZelkOleDateTime*,
                 unsigned int, unsigned int freqHz, const char* mode, const char* rstSent,
                 const char* rstRcvd, const char* exchSent, const char* exchRcvd, const char*,
                 const char*, const char*, const char*, const char*, const char*, const char*,
                 const char*, const char*, const char* aux1, int, int, int, double, double,
                 const char*, const char* aux2, const char*, const char* group, const char*) {
    return AddData0(*g_state, ContactFromHost(ownCall, call, time, freqHz, mode, rstSent, rstRcvd,
                                              exchSent, exchRcvd, aux1, aux2, group));
}

int CoreRemoveData0(const char* ownCall, const char* call, const ZelkOleDateTime* time,
                    const ZelkOleDateTime*, const ZelkOleDateTime*, const ZelkOleDateTime*,
                    unsigned int, unsigned int freqHz, const char* mode, const char* rstSent,
                    const char* rstRcvd, const char* exchSent, const char* exchRcvd, const char*,
                    const char*, const char*, const char*, const char*, const char*, const char*,
                    const char*, const char*, const char* aux1, int, int, int, double, double,
                    const char*, const char* aux2, const char*, const char* group, const char*) {
    return RemoveData0(*g_state, ContactFromHost(ownCall, call, time, freqHz, mode, rstSent,
                                                 rstRcvd, exchSent, exchRcvd, aux1, aux2, group));
}

const char* CoreGetResult0(int* result) {
    return GetResult0(*g_state, result);
}

int CoreCheckCall0(const char* call, unsigned int, unsigned int, const char* mode, const char*,
                   const char*, const char*, const char*, const char*, const char*, const char*,
                   const char*, const char*, const char*, int, int, int, double, double,
                   const char*, const char*, const char*, const char*, const char*,
                   const char* group, const char*, char* wantReference, char* referenceBuffer) {
    return CheckCall0(*g_state, TextFromHost(call), TextFromHost(mode), TextFromHost(group),
                      wantReference, referenceBuffer);
}

int CoreGetExchgCount0(const char*, const char*, const char*) {
    return GetExchgCount0();
}

int CoreIsValidExchg0(const char* exchange, const char*, const char*, const char*, int, int,
                      int invalid) {
    return IsValidExchg0(TextFromHost(exchange), invalid);
}

}  // namespace

void UseModuleState(ModuleState* state) {
    g_state = state;
}

const reliability::EntryPoints& CoreEntryPoints() {
    static const reliability::EntryPoints entry = {
        CoreGetNumberOfSets, CoreGetSetName, CoreSetupSet0,  CoreResetStats0,    CoreAddData0,
        CoreRemoveData0,     CoreGetResult0, CoreCheckCall0, CoreGetExchgCount0, CoreIsValidExchg0,
    };
    return entry;
}

}  // namespace zelk::fuzz
