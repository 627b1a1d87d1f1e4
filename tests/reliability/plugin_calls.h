// The ten entry points of a loaded plug-in, and calls with the host's full
// argument lists in which every argument can be chosen, hostile ones
// included. Portable: the native tests, the fuzzer and a Windows test host
// all use it, each filling EntryPoints from its own loader.
#pragma once

#include "contest/plugin_abi.h"

namespace zelk::reliability {

struct EntryPoints {
    ZelkGetNumberOfSetsFn getNumberOfSets = nullptr;
    ZelkGetSetNameFn getSetName = nullptr;
    ZelkSetupSet0Fn setupSet0 = nullptr;
    ZelkResetStats0Fn resetStats0 = nullptr;
    ZelkAddData0Fn addData0 = nullptr;
    ZelkRemoveData0Fn removeData0 = nullptr;
    ZelkGetResult0Fn getResult0 = nullptr;
    ZelkCheckCall0Fn checkCall0 = nullptr;
    ZelkGetExchgCount0Fn getExchgCount0 = nullptr;
    ZelkIsValidExchg0Fn isValidExchg0 = nullptr;

    bool Complete() const {
        return getNumberOfSets && getSetName && setupSet0 && resetStats0 && addData0 &&
               removeData0 && getResult0 && checkCall0 && getExchgCount0 && isValidExchg0;
    }
};

// Every argument of ResetStats0; the ones the plug-in ignores share one value
// per type.
struct ResetCall {
    int cabrilloWanted = 0;
    const char* contestant = "UA3ABC";
    const ZelkOleDateTime* contestTime = nullptr;
    double fallbackLat = 0.0;
    double fallbackLong = 0.0;
    const char* unusedText = "";
    const ZelkOleDateTime* unusedTime = nullptr;
    int unusedInt = 0;
};

inline int Reset(const EntryPoints& p, const ResetCall& c) {
    const char* u = c.unusedText;
    const int n = c.unusedInt;
    return p.resetStats0(u, c.cabrilloWanted, c.contestant, c.unusedTime, c.contestTime, u, u, u, u,
                         u, u, u, u, u, u, n, n, n, c.fallbackLat, c.fallbackLong, u, u, u);
}

// Every argument of AddData0 and RemoveData0.
struct ContactCall {
    const char* ownCall = "UA3ABC";
    const char* call = "DL1AA";
    const ZelkOleDateTime* time = nullptr;
    unsigned int freqHz = 14025500;
    const char* mode = "CW";
    const char* rstSent = "599";
    const char* rstRcvd = "599";
    const char* exchSent = "001";
    const char* exchRcvd = "155N37O";
    const char* aux1 = "";
    const char* aux2 = "";
    const char* group = "14";
    const char* unusedText = "";
    const ZelkOleDateTime* unusedTime = nullptr;
    unsigned int unusedNumber = 0;
    int unusedInt = 0;
    double unusedDouble = 0.0;
};

inline int CallWithContact(ZelkAddData0Fn fn, const ContactCall& c) {
    const char* u = c.unusedText;
    const ZelkOleDateTime* t = c.unusedTime;
    const int n = c.unusedInt;
    const double d = c.unusedDouble;
    return fn(c.ownCall, c.call, c.time, t, t, t, c.unusedNumber, c.freqHz, c.mode, c.rstSent,
              c.rstRcvd, c.exchSent, c.exchRcvd, u, u, u, u, u, u, u, u, u, c.aux1, n, n, n, d, d,
              u, c.aux2, u, c.group, u);
}

inline int Add(const EntryPoints& p, const ContactCall& c) {
    return CallWithContact(p.addData0, c);
}
inline int Remove(const EntryPoints& p, const ContactCall& c) {
    return CallWithContact(p.removeData0, c);
}

// Every argument of CheckCall0.
struct CheckCallCall {
    const char* call = "DL1AA";
    const char* mode = "CW";
    const char* group = "14";
    char* wantReference = nullptr;
    char* referenceBuffer = nullptr;
    const char* unusedText = "";
    unsigned int unusedNumber = 0;
    int unusedInt = 0;
    double unusedDouble = 0.0;
};

inline int CheckCall(const EntryPoints& p, const CheckCallCall& c) {
    const char* u = c.unusedText;
    const unsigned int k = c.unusedNumber;
    const int n = c.unusedInt;
    const double d = c.unusedDouble;
    return p.checkCall0(c.call, k, k, c.mode, u, u, u, u, u, u, u, u, u, u, n, n, n, d, d, u, u, u,
                        u, u, c.group, u, c.wantReference, c.referenceBuffer);
}

}  // namespace zelk::reliability
