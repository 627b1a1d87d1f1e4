// Whole contest runs through the plug-in's exported functions, loaded the way
// a host loads it, in a scratch contest folder on disk.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "contest/plugin_abi.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const fs::path& path, const std::string& content) {
    fs::create_directories(path.parent_path().empty() ? "." : path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

// The plug-in, resolved by its plain names.
struct Plugin {
    Plugin() {
        handle = dlopen(ZELK_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            ADD_FAILURE() << dlerror();
            return;
        }
        Resolve(getNumberOfSets, "GetNumberOfSets");
        Resolve(getSetName, "GetSetName");
        Resolve(setupSet, "SetupSet0");
        Resolve(resetStats, "ResetStats0");
        Resolve(addData, "AddData0");
        Resolve(removeData, "RemoveData0");
        Resolve(getResult, "GetResult0");
        Resolve(checkCall, "CheckCall0");
        Resolve(getExchgCount, "GetExchgCount0");
        Resolve(isValidExchg, "IsValidExchg0");
    }
    ~Plugin() {
        if (handle != nullptr) {
            dlclose(handle);
        }
    }
    template <typename Fn>
    void Resolve(Fn& fn, const char* name) {
        fn = reinterpret_cast<Fn>(dlsym(handle, name));
        if (fn == nullptr) {
            ADD_FAILURE() << "missing export " << name;
        }
    }

    int Reset(int cabrillo, const char* contestant, const ZelkOleDateTime* date, double lat = 0,
              double lon = 0) {
        return resetStats("", cabrillo, contestant, date, date, "", "", "", "", "", "", "", "", "",
                          "", 0, 0, 0, lat, lon, "", "", "");
    }
    int Contact(ZelkAddData0Fn fn, const char* call, const ZelkOleDateTime* time, unsigned freqHz,
                const char* mode, const char* sent, const char* rcvd, const char* group) {
        return fn("UA3ABC", call, time, time, time, time, 0, freqHz, mode, "599", "599", sent, rcvd,
                  "", "", "", "", "", "", "", "", "", "", 0, 0, 0, 0.0, 0.0, "", "", "", group, "");
    }
    int Add(const char* call, const char* sent, const char* rcvd, const char* group,
            const ZelkOleDateTime* time, const char* mode = "CW", unsigned freq = 14025500) {
        return Contact(addData, call, time, freq, mode, sent, rcvd, group);
    }
    int Remove(const char* call, const char* group) {
        ZelkOleDateTime t{0.0, 0};
        return Contact(removeData, call, &t, 0, "CW", "1", "1", group);
    }
    int Check(const char* call, const char* group, char* want, char* buffer) {
        return checkCall(call, 0, 0, "CW", "", "", "", "", "", "", "", "", "", "", 0, 0, 0, 0, 0,
                         "", "", "", "", "", group, "", want, buffer);
    }

    void* handle = nullptr;
    ZelkGetNumberOfSetsFn getNumberOfSets = nullptr;
    ZelkGetSetNameFn getSetName = nullptr;
    ZelkSetupSet0Fn setupSet = nullptr;
    ZelkResetStats0Fn resetStats = nullptr;
    ZelkAddData0Fn addData = nullptr;
    ZelkRemoveData0Fn removeData = nullptr;
    ZelkGetResult0Fn getResult = nullptr;
    ZelkCheckCall0Fn checkCall = nullptr;
    ZelkGetExchgCount0Fn getExchgCount = nullptr;
    ZelkIsValidExchg0Fn isValidExchg = nullptr;
};

// A scratch contest folder that the test runs in.
class ApiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        previous = fs::current_path();
        folder = fs::temp_directory_path() /
                 ("zelk-api-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder / "Plugins");
        fs::current_path(folder);
        WriteFile("Plugins/zelk.dat", "UA1AA 55N37O\r\nRK3ZZ Moscow club\r\n");
    }
    void TearDown() override {
        fs::current_path(previous);
        fs::remove_all(folder);
    }

    fs::path previous, folder;
    Plugin plugin;
    ZelkOleDateTime contestDay{43600.5, kZelkDateTimeValid};                // 2019-05-15 12:00
    ZelkOleDateTime qsoTime{43597.0 + 492.0 / 1440.0, kZelkDateTimeValid};  // 2019-05-12 08:12
};

TEST_F(ApiTest, TheSetTable) {
    EXPECT_EQ(plugin.getNumberOfSets(), 1);
    EXPECT_STREQ(plugin.getSetName(0), "ZELK (C)");
    EXPECT_STREQ(plugin.getSetName(1), "");
    EXPECT_EQ(plugin.getExchgCount(nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(plugin.isValidExchg("123AB", "", "", "", 0, 0, 0), 1);
    EXPECT_EQ(plugin.isValidExchg("123AB", "", "", "", 0, 0, 1), 0);
}

TEST_F(ApiTest, AWholeContestRunScoresAndReportsExactly) {
    WriteFile("Plugins/ZELK.ini", "[Settings]\r\nSetup_ZELK=50N30O\r\n");
    ASSERT_EQ(plugin.Reset(0, "UA3ABC", &contestDay), 1);
    EXPECT_EQ(plugin.Add("DL1AA", "001", "1255N37O", "14", &qsoTime), 1);
    EXPECT_EQ(plugin.Add("ZELK", "002", "070N20O", "7", &qsoTime), 1);     // stored as 000 70N20O
    EXPECT_EQ(plugin.Add("DL1AA", "001", "1255N37O", "14", &qsoTime), 1);  // duplicate
    EXPECT_EQ(plugin.Add("DL2BB", "003", "155N37O", "14", &qsoTime, "SSB"), 0);
    EXPECT_EQ(plugin.Add("DL3CC", "004", "", "14", &qsoTime), 0);
    int claimed = 0;
    const std::string report = plugin.getResult(&claimed);
    EXPECT_EQ(report,
              "\t\tZELK  Contest 15.05.2019\r\n"
              "\t\t  Contestant: UA3ABC \r\n"
              "\tQSOs\tPoints  Lat    Long    ZELK    Polar\r\n"
              "14\t 1\t 50\t5\t7\t0\t0\r\n"
              "7\t 1\t 50\t20\t10\t300\t100\r\n"
              "Total\t 2\t 100\t25\t17\t300\t100\r\n"
              "\r\n"
              "Score: 100+25+17+300+100 = 542\r\n");
    EXPECT_EQ(claimed, 542);
    EXPECT_NE(ReadFile("Plugins/ZELK.ini").find("Claimed=542"), std::string::npos);
    EXPECT_EQ(
        ReadFile("err.txt"),
        "ZELK CONTEST UBN file \r\n"
        "QSO:  14025  SSB  2019-05-12 0812  UA3ABC  599  003  DL2BB  599  155N37O"
        "   NO TEST MODE !!!\r\n"
        "QSO:  14025  CW  2019-05-12 0812  UA3ABC  599  004  DL3CC  599     NO RX NUMBER !!!\r\n");

    EXPECT_EQ(plugin.Remove("DL1AA", "14"), 1);
    plugin.getResult(&claimed);
    EXPECT_EQ(claimed, 480);
}

TEST_F(ApiTest, CheckCallAnswersFromTheLogAndTheReferenceList) {
    ASSERT_EQ(plugin.Reset(0, "UA3ABC", &contestDay), 1);
    plugin.Add("RK3ZZ", "001", "155N37O", "14", &qsoTime);
    std::array<char, 120> guarded;
    guarded.fill('#');
    char* buffer = guarded.data() + 10;
    char want = 0;
    EXPECT_EQ(plugin.Check("UA1AA", "14", &want, buffer), 1);
    EXPECT_STREQ(buffer, "55N37O\n");
    EXPECT_EQ(guarded[9], '#');
    EXPECT_EQ(guarded[110], '#');
    EXPECT_EQ(plugin.Check("RK3ZZ", "14", &want, buffer), 0);
    EXPECT_EQ(plugin.Check("RK3ZZ", "7", &want, buffer), 1);
    EXPECT_STREQ(buffer, "Moscow club\n");
    EXPECT_EQ(plugin.Check("UA1AA", "14", &want, nullptr), 1);
}

TEST_F(ApiTest, ResetWithoutTheReferenceFileFails) {
    fs::remove("Plugins/zelk.dat");
    EXPECT_EQ(plugin.Reset(0, "UA3ABC", &contestDay), 0);
    EXPECT_FALSE(fs::exists("err.txt"));
    WriteFile("Plugins/zelk.dat", "");
    EXPECT_EQ(plugin.Reset(0, "UA3ABC", &contestDay), 1);
    EXPECT_EQ(ReadFile("err.txt"), "ZELK CONTEST UBN file \r\n");
}

TEST_F(ApiTest, CabrilloOutputWritesTheFileAndHandsTheHostMinusOne) {
    WriteFile("Plugins/ZELK.ini", "[Settings]\r\nSetup_ZELK=50N30O\r\nName=Ivan\r\n");
    ASSERT_EQ(plugin.Reset(1, "UA3ABC/P", &contestDay), 1);
    plugin.Add("DL1AA", "001", "1255N37O", "14", &qsoTime);
    int result = 0;
    plugin.getResult(&result);
    EXPECT_EQ(result, -1);
    const std::string file = ReadFile("UA3ABC_P.cbr");
    EXPECT_EQ(file.rfind("START-OF-LOG: 3.0\r\nCONTEST: ZELK\r\nCALLSIGN: UA3ABC/P\r\n", 0), 0u);
    EXPECT_NE(file.find("CLAIMED-SCORE: 62\r\n"), std::string::npos);
    EXPECT_NE(file.find("NAME: Ivan\r\n"), std::string::npos);
    EXPECT_NE(file.find("QSO: 14025 CW 2019-05-12 0812 UA3ABC/P      001  50N30O   DL1AA         "
                        "012  55N37O\r\nEND-OF-LOG:\r\n"),
              std::string::npos);
    const std::string ini = ReadFile("Plugins/ZELK.ini");
    EXPECT_NE(ini.find("Multiplier=0"), std::string::npos);
    EXPECT_NE(ini.find("Operators=UA3ABC/P"), std::string::npos);
}

TEST_F(ApiTest, NullPointersFromTheHostNeverCrashIt) {
    EXPECT_EQ(plugin.resetStats(nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0,
                                0, 0.0, 0.0, nullptr, nullptr, nullptr),
              1);
    EXPECT_EQ(plugin.addData(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr,
                             nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 0.0,
                             0.0, nullptr, nullptr, nullptr, nullptr, nullptr),
              0);
    EXPECT_EQ(plugin.removeData(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr,
                                nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0,
                                0, 0.0, 0.0, nullptr, nullptr, nullptr, nullptr, nullptr),
              0);
    EXPECT_EQ(plugin.Add("DL1AA", "001", "155N37O", "14", nullptr), 1);
    EXPECT_NE(std::string(plugin.getResult(nullptr)).find("Total\t 1\t"), std::string::npos);
    EXPECT_EQ(
        plugin.checkCall(nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 0, 0, nullptr,
                         nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
        1);
    char want = 0;
    EXPECT_EQ(plugin.Check("UA1AA", "14", &want, nullptr), 1);
    EXPECT_EQ(plugin.isValidExchg(nullptr, nullptr, nullptr, nullptr, 0, 0, 0), 0);
}

}  // namespace
