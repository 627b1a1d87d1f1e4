// The ten entry points as the core implements them, on a module state and on
// arguments already taken from the host (null texts read as empty, a null
// date-time pointer as a null time). The export layer only converts and
// forwards; every rule lives behind these functions.
#pragma once

#include <cstdint>
#include <string_view>

#include "contest/contact_args.h"
#include "contest/ole_date_time.h"
#include "contest/plugin_abi.h"
#include "plugin/module_state.h"

namespace zelk {

// The arguments of ResetStats0 that the plug-in uses.
struct ResetArgs {
    int32_t cabrilloWanted = 0;   // 2nd
    std::string_view contestant;  // 3rd
    OleDateTime contestTime;      // 5th
    double fallbackLat = 0.0;     // 19th
    double fallbackLong = 0.0;    // 20th
};

// The host's raw arguments in the core's form: a null text reads as empty, a
// null date-time pointer as a null time. Every caller of the core that takes
// the host's arguments (the export layer, the fuzzer) converts through these.
std::string_view TextFromHost(const char* text);
ResetArgs ResetFromHost(int cabrilloWanted, const char* contestant,
                        const ZelkOleDateTime* contestTime, double fallbackLat,
                        double fallbackLong);
ContactArgs ContactFromHost(const char* ownCall, const char* call, const ZelkOleDateTime* time,
                            unsigned int freqHz, const char* mode, const char* rstSent,
                            const char* rstRcvd, const char* exchSent, const char* exchRcvd,
                            const char* aux1, const char* aux2, const char* group);

inline constexpr const char* kSetName = "ZELK (C)";

int GetNumberOfSets();
const char* GetSetName(int index);
void SetupSet0(ModuleState& state);
int ResetStats0(ModuleState& state, const ResetArgs& args);
int AddData0(ModuleState& state, const ContactArgs& args);
int RemoveData0(ModuleState& state, const ContactArgs& args);
// `result` may be null; then nothing is written through it.
const char* GetResult0(ModuleState& state, int* result);
// `wantReference` non-null asks for the reference text, which goes into the
// 100-byte `referenceBuffer` when that is not null.
int CheckCall0(ModuleState& state, std::string_view call, std::string_view mode,
               std::string_view group, const char* wantReference, char* referenceBuffer);
int GetExchgCount0();
int IsValidExchg0(std::string_view exchange, int invalid);

}  // namespace zelk
