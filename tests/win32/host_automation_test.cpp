// The plug-in and a running host under COM: the host's two command texts
// arrive once, at the first result request that finds the host registered
// and running, and never again while the plug-in stays loaded.
#include <windows.h>

#include <gtest/gtest.h>

#include "fake_host_application.h"
#include "plugin_host.h"

namespace zelk::test {
namespace {

using HostAutomation = PluginHost;

std::vector<std::wstring> ReceivedTexts(const FakeHostApplication& host) {
    std::vector<std::wstring> texts;
    for (const HostCall& call : host.Calls()) {
        texts.push_back(call.text);
    }
    return texts;
}

TEST_F(HostAutomation, TheRunningHostReceivesItsTwoCommandsOnce) {
    WritePlugins("UA1ZZ 59N30O\r\n", "");
    ASSERT_EQ(Reset(0, "UA3ABC"), 1);
    FakeHostApplication host;
    int score = 0;

    // Neither registered nor running: nothing arrives.
    Result(&score);
    EXPECT_TRUE(host.Calls().empty());

    // Registered but not running: still nothing.
    RegisteredProgId progId;
    ASSERT_TRUE(progId.Ok());
    Result(&score);
    EXPECT_TRUE(host.Calls().empty());

    {
        RunningObject running(&host);
        ASSERT_TRUE(running.Ok());
        const ULONG before = host.OutsideReferences();
        Result(&score);
        ASSERT_EQ(ReceivedTexts(host), (std::vector<std::wstring>{L"<MODE:CW>", L"<BAUDRATE:25>"}));
        for (const HostCall& call : host.Calls()) {
            EXPECT_EQ(call.member, 16);
            EXPECT_TRUE(call.nullInterface);
            EXPECT_EQ(call.locale, 0u);
            EXPECT_EQ(call.kind, DISPATCH_METHOD);
            EXPECT_EQ(call.arguments, 1u);
            EXPECT_EQ(call.namedArguments, 0u);
            EXPECT_EQ(call.firstArgumentType, VT_BSTR);
            EXPECT_FALSE(call.resultAsked);
        }
        // The plug-in keeps one reference to the host until it is unloaded.
        EXPECT_EQ(host.OutsideReferences(), before + 1);

        // Later requests, new contest runs included, send nothing.
        host.ForgetCalls();
        Result(&score);
        ASSERT_EQ(Reset(0, "UA3ABC"), 1);
        Result(&score);
        EXPECT_TRUE(host.Calls().empty());

        // Unloading lets the reference go; a fresh load sends again.
        Reload();
        EXPECT_EQ(host.OutsideReferences(), before);
        ASSERT_EQ(Reset(0, "UA3ABC"), 1);
        Result(&score);
        EXPECT_EQ(ReceivedTexts(host), (std::vector<std::wstring>{L"<MODE:CW>", L"<BAUDRATE:25>"}));
        Reload();
        EXPECT_EQ(host.OutsideReferences(), before);
    }
}

}  // namespace
}  // namespace zelk::test
