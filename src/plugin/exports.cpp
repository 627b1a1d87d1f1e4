// The export layer: the ten entry points under their plain names, C calling
// convention. Each converts the host's arguments (a null text reads as empty,
// a null date-time pointer as a null time), calls the core on the module's one
// state object, and lets no exception escape: a failure returns 0, the empty
// text or nothing. On Windows the .def file adds the decorated names.
#include <exception>
#include <string_view>
#include <type_traits>

#include "contest/plugin_abi.h"
#include "platform/default_platform.h"
#include "plugin/entry_points.h"

#if defined(_WIN32)
#define ZELK_EXPORT
#else
#define ZELK_EXPORT __attribute__((visibility("default")))
#endif

namespace {

// Constructed when the library is loaded, destroyed when it is unloaded.
zelk::ModuleState g_module{zelk::DefaultPlatform()};

}  // namespace

extern "C" {

ZELK_EXPORT int ZELK_CDECL GetNumberOfSets() {
    return zelk::GetNumberOfSets();
}

ZELK_EXPORT const char* ZELK_CDECL GetSetName(int index) {
    return zelk::GetSetName(index);
}

ZELK_EXPORT void ZELK_CDECL SetupSet0() {
    try {
        zelk::SetupSet0(g_module);
    } catch (...) {
    }
}

ZELK_EXPORT int ZELK_CDECL ResetStats0(const char*, int cabrilloWanted, const char* contestant,
                                       const ZelkOleDateTime*, const ZelkOleDateTime* contestTime,
                                       const char*, const char*, const char*, const char*,
                                       const char*, const char*, const char*, const char*,
                                       const char*, const char*, int, int, int, double lat,
                                       double lon, const char*, const char*, const char*) {
    try {
        return zelk::ResetStats0(
            g_module, zelk::ResetFromHost(cabrilloWanted, contestant, contestTime, lat, lon));
    } catch (...) {
        return 0;
    }
}

ZELK_EXPORT int ZELK_CDECL AddData0(const char* ownCall, const char* call,
                                    const ZelkOleDateTime* time, const ZelkOleDateTime*,
                                    const ZelkOleDateTime*, const ZelkOleDateTime*, unsigned int,
                                    unsigned int freqHz, const char* mode, const char* rstSent,
                                    const char* rstRcvd, const char* exchSent, const char* exchRcvd,
                                    const char*, const char*, const char*, const char*, const char*,
                                    const char*, const char*, const char*, const char*,
                                    const char* aux1, int, int, int, double, double, const char*,
                                    const char* aux2, const char*, const char* group, const char*) {
    try {
        return zelk::AddData0(
            g_module, zelk::ContactFromHost(ownCall, call, time, freqHz, mode, rstSent, rstRcvd,
                                            exchSent, exchRcvd, aux1, aux2, group));
    } catch (...) {
        return 0;
    }
}

ZELK_EXPORT int ZELK_CDECL RemoveData0(
    const char* ownCall, const char* call, const ZelkOleDateTime* time, const ZelkOleDateTime*,
    const ZelkOleDateTime*, const ZelkOleDateTime*, unsigned int, unsigned int freqHz,
    const char* mode, const char* rstSent, const char* rstRcvd, const char* exchSent,
    const char* exchRcvd, const char*, const char*, const char*, const char*, const char*,
    const char*, const char*, const char*, const char*, const char* aux1, int, int, int, double,
    double, const char*, const char* aux2, const char*, const char* group, const char*) {
    try {
        return zelk::RemoveData0(
            g_module, zelk::ContactFromHost(ownCall, call, time, freqHz, mode, rstSent, rstRcvd,
                                            exchSent, exchRcvd, aux1, aux2, group));
    } catch (...) {
        return 0;
    }
}

ZELK_EXPORT const char* ZELK_CDECL GetResult0(int* result) {
    try {
        return zelk::GetResult0(g_module, result);
    } catch (...) {
        return "";
    }
}

ZELK_EXPORT int ZELK_CDECL CheckCall0(const char* call, unsigned int, unsigned int,
                                      const char* mode, const char*, const char*, const char*,
                                      const char*, const char*, const char*, const char*,
                                      const char*, const char*, const char*, int, int, int, double,
                                      double, const char*, const char*, const char*, const char*,
                                      const char*, const char* group, const char*,
                                      char* wantReference, char* referenceBuffer) {
    try {
        return zelk::CheckCall0(g_module, zelk::TextFromHost(call), zelk::TextFromHost(mode),
                                zelk::TextFromHost(group), wantReference, referenceBuffer);
    } catch (...) {
        return 0;
    }
}

ZELK_EXPORT int ZELK_CDECL GetExchgCount0(const char*, const char*, const char*) {
    return zelk::GetExchgCount0();
}

ZELK_EXPORT int ZELK_CDECL IsValidExchg0(const char* exchange, const char*, const char*,
                                         const char*, int, int, int invalid) {
    try {
        return zelk::IsValidExchg0(zelk::TextFromHost(exchange), invalid);
    } catch (...) {
        return 0;
    }
}

}  // extern "C"

// The pointer types a host resolves must match these definitions exactly.
static_assert(std::is_same_v<decltype(&AddData0), ZelkAddData0Fn>);
static_assert(std::is_same_v<decltype(&RemoveData0), ZelkRemoveData0Fn>);
static_assert(std::is_same_v<decltype(&ResetStats0), ZelkResetStats0Fn>);
static_assert(std::is_same_v<decltype(&CheckCall0), ZelkCheckCall0Fn>);
static_assert(std::is_same_v<decltype(&IsValidExchg0), ZelkIsValidExchg0Fn>);
static_assert(std::is_same_v<decltype(&GetExchgCount0), ZelkGetExchgCount0Fn>);
static_assert(std::is_same_v<decltype(&GetResult0), ZelkGetResult0Fn>);
