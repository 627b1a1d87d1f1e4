// The binary interface between the host and the plug-in: the layout of the
// host's OLE date-time and the ten entry points with their exact parameter
// lists. Included by the export layer, by every program that loads the
// plug-in (the zelk host, the API tests) and by the core's date-time; it
// depends on nothing else.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define ZELK_CDECL __cdecl
#else
#define ZELK_CDECL
#endif

// The host's ATL::COleDateTime: a day count since 1899-12-30 and a status.
struct ZelkOleDateTime {
    alignas(8) double m_dt;
    int32_t m_status;
};
static_assert(sizeof(ZelkOleDateTime) == 16, "the host passes 16-byte date-times");

enum : int32_t {
    kZelkDateTimeError = -1,
    kZelkDateTimeValid = 0,
    kZelkDateTimeInvalid = 1,
    kZelkDateTimeNull = 2,
};

#define ZELK_DT const ZelkOleDateTime*
#define ZELK_S const char*

// Number of parameters: ResetStats0 23, AddData0/RemoveData0 33, CheckCall0 28.
#define ZELK_RESET_PARAMS                                                                          \
    ZELK_S, int, ZELK_S, ZELK_DT, ZELK_DT, ZELK_S, ZELK_S, ZELK_S, ZELK_S, ZELK_S, ZELK_S, ZELK_S, \
        ZELK_S, ZELK_S, ZELK_S, int, int, int, double, double, ZELK_S, ZELK_S, ZELK_S
#define ZELK_DATA_PARAMS                                                                        \
    ZELK_S, ZELK_S, ZELK_DT, ZELK_DT, ZELK_DT, ZELK_DT, unsigned int, unsigned int, ZELK_S,     \
        ZELK_S, ZELK_S, ZELK_S, ZELK_S, ZELK_S, ZELK_S, ZELK_S, ZELK_S, ZELK_S, ZELK_S, ZELK_S, \
        ZELK_S, ZELK_S, ZELK_S, int, int, int, double, double, ZELK_S, ZELK_S, ZELK_S, ZELK_S,  \
        ZELK_S
#define ZELK_CHECKCALL_PARAMS                                                                   \
    ZELK_S, unsigned int, unsigned int, ZELK_S, ZELK_S, ZELK_S, ZELK_S, ZELK_S, ZELK_S, ZELK_S, \
        ZELK_S, ZELK_S, ZELK_S, ZELK_S, int, int, int, double, double, ZELK_S, ZELK_S, ZELK_S,  \
        ZELK_S, ZELK_S, ZELK_S, ZELK_S, char*, char*

// Pointer types for a host that resolves the entry points at run time.
typedef int(ZELK_CDECL* ZelkGetNumberOfSetsFn)();
typedef const char*(ZELK_CDECL* ZelkGetSetNameFn)(int);
typedef void(ZELK_CDECL* ZelkSetupSet0Fn)();
typedef int(ZELK_CDECL* ZelkResetStats0Fn)(ZELK_RESET_PARAMS);
typedef int(ZELK_CDECL* ZelkAddData0Fn)(ZELK_DATA_PARAMS);
typedef int(ZELK_CDECL* ZelkRemoveData0Fn)(ZELK_DATA_PARAMS);
typedef const char*(ZELK_CDECL* ZelkGetResult0Fn)(int*);
typedef int(ZELK_CDECL* ZelkCheckCall0Fn)(ZELK_CHECKCALL_PARAMS);
typedef int(ZELK_CDECL* ZelkGetExchgCount0Fn)(ZELK_S, ZELK_S, ZELK_S);
typedef int(ZELK_CDECL* ZelkIsValidExchg0Fn)(ZELK_S, ZELK_S, ZELK_S, ZELK_S, int, int, int);
