// A contest run on a fresh module state and fake platform, with helpers that
// build the host's arguments the way a logging program fills them.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "fake_platform.h"
#include "plugin/entry_points.h"
#include "plugin/reference_list.h"

namespace zelk::testing {

inline OleDateTime ValidTime(double dayCount) {
    OleDateTime t;
    t.m_dt = dayCount;
    return t;
}

inline OleDateTime TimeWithStatus(DateTimeStatus status, double dayCount = 0.0) {
    OleDateTime t;
    t.m_dt = dayCount;
    t.m_status = status;
    return t;
}

// 2019-05-12 08:12 as a day count.
inline constexpr double kContactDay = 43597.0 + (8 * 60 + 12) / 1440.0;

class ContestTest : public ::testing::Test {
  protected:
    ContestTest() { platform.files[std::string(kReferenceFileName)] = ""; }

    int Reset(int cabrilloWanted = 0, std::string_view contestant = "UA3ABC",
              double fallbackLat = 0.0, double fallbackLong = 0.0) {
        ResetArgs args;
        args.cabrilloWanted = cabrilloWanted;
        args.contestant = contestant;
        args.contestTime = ValidTime(43600.5);  // 2019-05-15 12:00
        args.fallbackLat = fallbackLat;
        args.fallbackLong = fallbackLong;
        return ResetStats0(state, args);
    }

    // A CW contact as the host reports it; the strings live in the fixture.
    ContactArgs Contact(std::string_view call, std::string_view exchRcvd,
                        std::string_view group = "14", std::string_view serial = "001") {
        ContactArgs a;
        a.ownCall = "UA3ABC";
        a.call = call;
        a.time = ValidTime(kContactDay);
        a.freqHz = 14025500;
        a.mode = "CW";
        a.rstSent = "599";
        a.rstRcvd = "599";
        a.exchSent = serial;
        a.exchRcvd = exchRcvd;
        a.group = group;
        return a;
    }

    int Add(const ContactArgs& args) { return AddData0(state, args); }

    std::string Result(int* result = nullptr) {
        int ignored = 0;
        return GetResult0(state, result != nullptr ? result : &ignored);
    }

    FakePlatform platform;
    ModuleState state{platform};
};

}  // namespace zelk::testing
