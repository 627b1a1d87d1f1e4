// The report reader must reject every kind of broken report, or the fuzzer's
// and the hostile scenarios' report checks could never fail.
#include <gtest/gtest.h>

#include <climits>

#include "report_check.h"

namespace zelk::reliability {
namespace {

const std::string kTitle =
    "\t\tZELK  Contest 15.05.2019\r\n\t\t  Contestant: UA3ABC \r\n"
    "\tQSOs\tPoints  Lat    Long    ZELK    Polar\r\n";

TEST(ReportCheck, AcceptsSoundReportsAndRejectsBrokenOnes) {
    const std::vector<std::string> twoGroups = {"7", "a\r\n\tb"};
    const struct {
        const char* name;
        std::string report;
        std::vector<std::string> groups;
        bool sound;
    } cases[] = {
        {"empty log",
         kTitle + "Total\t 0\t 0\t0\t0\t0\t0\r\n\r\nScore: 0+0+0+0+0 = 0\r\n",
         {},
         true},
        {"group texts with line breaks",
         kTitle + "a\r\n\tb\t 1\t 50\t5\t7\t0\t0\r\n7\t 1\t 50\t20\t10\t300\t100\r\n"
                  "Total\t 2\t 100\t25\t17\t300\t100\r\n\r\nScore: 100+25+17+300+100 = 542\r\n",
         twoGroups, true},
        {"sums held at the limit",
         kTitle + "7\t 1\t 50\t2147483647\t1\t0\t0\r\nTotal\t 1\t 50\t2147483647\t1\t0\t0\r\n"
                  "\r\nScore: 50+2147483647+1+0+0 = 2147483647\r\n",
         {"7"},
         true},
        {"a missing row",
         kTitle + "7\t 1\t 50\t20\t10\t300\t100\r\nTotal\t 1\t 50\t20\t10\t300\t100\r\n"
                  "\r\nScore: 50+20+10+300+100 = 480\r\n",
         twoGroups, false},
        {"a total that is not the sum",
         kTitle + "7\t 1\t 50\t20\t10\t300\t100\r\nTotal\t 1\t 50\t21\t10\t300\t100\r\n"
                  "\r\nScore: 50+21+10+300+100 = 481\r\n",
         {"7"},
         false},
        {"a score that does not add up",
         kTitle + "7\t 1\t 50\t20\t10\t300\t100\r\nTotal\t 1\t 50\t20\t10\t300\t100\r\n"
                  "\r\nScore: 50+20+10+300+100 = 479\r\n",
         {"7"},
         false},
        {"a wrapped sum",
         kTitle + "7\t 1\t 50\t2147483647\t1\t0\t0\r\nTotal\t 1\t 50\t2147483647\t1\t0\t0\r\n"
                  "\r\nScore: 50+2147483647+1+0+0 = -2147483598\r\n",
         {"7"},
         false},
        {"a negative value",
         kTitle + "7\t 1\t -50\t0\t0\t0\t0\r\nTotal\t 1\t -50\t0\t0\t0\t0\r\n\r\nScore: "
                  "-50+0+0+0+0 = -50\r\n",
         {"7"},
         false},
        {"text after the score line",
         kTitle + "Total\t 0\t 0\t0\t0\t0\t0\r\n\r\nScore: 0+0+0+0+0 = 0\r\nX",
         {},
         false},
        {"another contestant",
         "\t\tZELK  Contest \r\n\t\t  Contestant: DL1AA \r\n\tQSOs\tPoints  Lat    Long    ZELK    "
         "Polar\r\n"
         "Total\t 0\t 0\t0\t0\t0\t0\r\n\r\nScore: 0+0+0+0+0 = 0\r\n",
         {},
         false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CheckReport(c.report, "UA3ABC", c.groups).empty(), c.sound) << c.name;
    }
}

TEST(ReportCheck, HoldsSumsAtTheLimits) {
    EXPECT_EQ(SumHeld(INT_MAX, 1), INT_MAX);
    EXPECT_EQ(SumHeld(INT_MIN, -1), INT_MIN);
    EXPECT_EQ(SumHeld(40, 2), 42);
}

}  // namespace
}  // namespace zelk::reliability
