// The output stage: the "Output" box, the host's result value, the
// protection of the previous file, and the send-once host automation.
#include <gtest/gtest.h>

#include "contest_fixture.h"

namespace zelk::testing {
namespace {

class OutputStageTest : public ContestTest {};

TEST_F(OutputStageTest, WithTheFlagTheFileIsReportedAndTheHostGetsMinusOne) {
    ASSERT_EQ(Reset(1, "UA3ABC"), 1);
    int result = 0;
    const std::string report = Result(&result);
    EXPECT_EQ(result, -1);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "File produced: UA3ABC.cbr");
    EXPECT_EQ(platform.messages[0].caption, "Output");
    EXPECT_EQ(platform.messages[0].owner, MessageOwner::ActiveWindow);
    EXPECT_EQ(platform.messages[0].icon, MessageIcon::Information);
    Result();
    EXPECT_EQ(platform.messages.size(), 2u) << "every result request shows the box again";
    ASSERT_EQ(Reset(0, "UA3ABC"), 1);
    EXPECT_EQ(Result(&result), report) << "the report does not depend on the flag";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(platform.messages.size(), 2u);
}

TEST_F(OutputStageTest, AFileThatCannotBeWrittenIsNotReportedAsProduced) {
    platform.SetSetting("Setup_ZELK", "50N30O");
    ASSERT_EQ(Reset(1, "UA3ABC"), 1);
    Add(Contact("DL1AA", "001 55N37O"));
    platform.files["UA3ABC.cbr"] = "previous file";
    platform.failingFiles.insert("UA3ABC.cbr");
    int result = 0;
    Result(&result);
    EXPECT_EQ(result, 62);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_NE(platform.messages[0].text.rfind("File produced: ", 0), 0u);
    EXPECT_NE(platform.messages[0].text.find("UA3ABC.cbr"), std::string::npos);
    EXPECT_EQ(platform.files["UA3ABC.cbr"], "previous file");
    EXPECT_TRUE(state.g_cabrilloLog.m_arrQsoLines.empty());
}

TEST_F(OutputStageTest, AFailedResetWithTheFlagStillNamesAFile) {
    platform.files.erase(std::string(kReferenceFileName));
    EXPECT_EQ(Reset(1, "UA3ABC"), 0);
    Result();
    EXPECT_TRUE(platform.FileExists("KORV.cbr"));
}

TEST_F(OutputStageTest, TheHostGetsItsCommandsOnceWhenItAppears) {
    platform.hostAppearsAtAttempt = 3;
    ASSERT_EQ(Reset(), 1);
    Result();
    Result();
    EXPECT_TRUE(platform.hostCommands.empty());
    EXPECT_EQ(state.g_hostCommandsSent, 0);
    Result();
    EXPECT_EQ(platform.hostCommands, (std::vector<std::string>{"<MODE:CW>", "<BAUDRATE:25>"}));
    EXPECT_EQ(state.g_hostCommandsSent, 1);
    ASSERT_EQ(Reset(), 1);
    Result();
    Result();
    EXPECT_EQ(platform.hostCommands.size(), 2u);
    EXPECT_EQ(platform.automationAttempts, 3);
    EXPECT_EQ(platform.openSessions, 0) << "every attempt leaves the apartment";
    EXPECT_FALSE(state.g_hostDispatch.Empty()) << "the reference is kept until unload";
}

TEST_F(OutputStageTest, ACommandTheHostRefusesIsSentAgainNextTime) {
    platform.hostAppearsAtAttempt = 1;
    platform.failCommandsLeft = 1;
    ASSERT_EQ(Reset(), 1);
    Result();
    EXPECT_TRUE(platform.hostCommands.empty());
    EXPECT_EQ(state.g_hostCommandsSent, 0);
    Result();
    EXPECT_EQ(platform.hostCommands, (std::vector<std::string>{"<MODE:CW>", "<BAUDRATE:25>"}));
    EXPECT_EQ(state.g_hostCommandsSent, 1);
}

}  // namespace
}  // namespace zelk::testing
