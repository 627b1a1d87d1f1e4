// Cabrillo QSO lines and the complete file, byte for byte.
#include <gtest/gtest.h>

#include "contest_fixture.h"

namespace zelk::testing {
namespace {

TEST(WidenExchange, WidensOnlyTheFirstBlank) {
    EXPECT_EQ(WidenExchange("001 55N37O"), "001  55N37O");
    EXPECT_EQ(WidenExchange("001"), "  001");
    EXPECT_EQ(WidenExchange(""), "  ");
    EXPECT_EQ(WidenExchange("1 2 3"), "1  2 3");
}

TEST(QsoLine, ColumnsAsTheFormatLaysThemOut) {
    CCabrilloLog log;
    log.m_strCallsign = "UA3ABC";
    const OleDateTime t{kContactDay, DateTimeStatus::Valid};
    log.AddQsoLine("DL1AA", 14025, "CW", t, "001 50N30O", "012 55N37O");
    log.AddQsoLine("DL1AA", 3510, "CW", t, "001 50N30O", "012 55N37O");
    log.AddQsoLine("DL1AA", 144050, "CW", t, "12345 50N30O", "7");
    log.m_strCallsign = "UA3ABC/LONGCALL";
    log.AddQsoLine("DL1AA", 7010, "CW", {0, DateTimeStatus::Null}, "001", "");
    ASSERT_EQ(log.m_arrQsoLines.size(), 4u);
    EXPECT_EQ(
        log.m_arrQsoLines[0],
        "QSO: 14025 CW 2019-05-12 0812 UA3ABC        001  50N30O   DL1AA         012  55N37O\r\n");
    EXPECT_EQ(
        log.m_arrQsoLines[1],
        "QSO:  3510 CW 2019-05-12 0812 UA3ABC        001  50N30O   DL1AA         012  55N37O\r\n");
    EXPECT_EQ(log.m_arrQsoLines[2],
              "QSO: 144050 CW 2019-05-12 0812 UA3ABC        12345  50N30O   DL1AA           7\r\n");
    EXPECT_EQ(log.m_arrQsoLines[3], "QSO:  7010 CW  UA3ABC/LONGCALL   001   DL1AA           \r\n");
    // Columns: frequency 6-10, mode 12-13, time 15-29, own call 31-43, sent from 45.
    EXPECT_EQ(log.m_arrQsoLines[0].substr(44, 3), "001");
}

class CabrilloFileTest : public ContestTest {
  protected:
    void SetUp() override {
        platform.SetSetting("Setup_ZELK", "50N30O");
        platform.SetSetting("Name", "Ivan Petrov");
        platform.SetSetting("Email", "ua3abc@example.org");
        platform.SetSetting("SoapBox", "Nice contest<CR><LF>73!");
        platform.executables = {"setup.exe", "vexa.exe", "Vexa2.exe"};
        platform.versions["Vexa2.exe"] = {(2u << 16) | 20u, (3u << 16) | 4u};
        ASSERT_EQ(Reset(1, "UA3ABC"), 1);
    }
};

TEST_F(CabrilloFileTest, TheWholeFileByteForByte) {
    Add(Contact("DL1AA", "1255N37O", "14", "001"));
    Add(Contact("ZELK", "002 70N20O", "7", "002"));
    int result = 0;
    Result(&result);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(
        platform.files.at("UA3ABC.cbr"),
        "START-OF-LOG: 3.0\r\n"
        "CONTEST: ZELK\r\n"
        "CALLSIGN: UA3ABC\r\n"
        "CATEGORY-OPERATOR: SINGLE-OP\r\n"
        "CATEGORY-BAND: ALL\r\n"
        "CATEGORY-MODE: CW\r\n"
        "CATEGORY-POWER: HIGH\r\n"
        "CATEGORY-TRANSMITTER: ONE\r\n"
        "CLAIMED-SCORE: 542\r\n"
        "OPERATORS: UA3ABC\r\n"
        "NAME: Ivan Petrov\r\n"
        "ADDRESS: \r\n"
        "ADDRESS-CITY: \r\n"
        "ADDRESS-STATE-PROVINCE: \r\n"
        "ADDRESS-POSTALCODE: \r\n"
        "ADDRESS-COUNTRY: \r\n"
        "EMAIL: ua3abc@example.org\r\n"
        "CREATED-BY: Vexa 2.20\r\n"
        "SOAPBOX: Nice contest\r\n"
        "SOAPBOX: 73!\r\n"
        "QSO: 14025 CW 2019-05-12 0812 UA3ABC        001  50N30O   DL1AA         012  55N37O\r\n"
        "QSO: 14025 CW 2019-05-12 0812 UA3ABC        002  50N30O   ZELK          002  70N20O\r\n"
        "END-OF-LOG:\r\n");
    EXPECT_EQ(platform.Setting("Multiplier"), "0");
    EXPECT_TRUE(state.g_cabrilloLog.m_arrQsoLines.empty());
}

TEST_F(CabrilloFileTest, ASecondResultRewritesTheFileWithEachContactOnce) {
    Add(Contact("DL1AA", "1255N37O"));
    Result();
    Add(Contact("DL2BB", "1355N37O"));
    Result();
    const std::string& file = platform.files.at("UA3ABC.cbr");
    EXPECT_EQ(std::count(file.begin(), file.end(), 'Q'), 2);  // "QSO:" twice, nothing else has Q
    EXPECT_NE(file.find("DL2BB"), std::string::npos);
}

TEST_F(CabrilloFileTest, CreatedByTakesTheFirstMatchingExecutable) {
    struct Case {
        std::vector<std::string> executables;
        FixedFileVersion version;
        const char* line;
    } cases[] = {
        {{"Vexa2.exe"}, {(2u << 16) | 20u, (7u << 16) | 9u}, "CREATED-BY: Vexa 2.20\r\n"},
        {{"MyVexa.exe"}, {(3u << 16) | 1u, (5u << 16) | 0u}, "CREATED-BY: Vexa 3.1.5\r\n"},
        {{"vexa.exe", "VEXA.exe"}, {}, "CREATED-BY: Vexa \r\n"},
        {{}, {}, "CREATED-BY: Vexa \r\n"},
    };
    for (const Case& c : cases) {
        platform.executables = c.executables;
        platform.versions.clear();
        for (const auto& name : c.executables) {
            platform.versions[name] = c.version;
        }
        Result();
        EXPECT_NE(platform.files.at("UA3ABC.cbr").find(c.line), std::string::npos) << c.line;
    }
}

TEST_F(CabrilloFileTest, AnEmptyLogGivesHeaderThenEnd) {
    Result();
    const std::string& file = platform.files.at("UA3ABC.cbr");
    EXPECT_NE(file.find("SOAPBOX: 73!\r\nEND-OF-LOG:\r\n"), std::string::npos);
}

}  // namespace
}  // namespace zelk::testing
