// The decisions file: what a good file gives (as a spreadsheet or a hand
// writes it), and the exact message, with the file and the line, for each
// bad line.
#include "adjudication/decisions_file.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using namespace zelk::adjudication;
using Verdict = Decision::Verdict;

struct DecisionsCase {
    std::string text;
    std::string fault;  // the message after "<file> "; empty for a good file
    std::vector<Decision> decisions = {};
};

TEST(DecisionsFile, ReadsSpreadsheetCsvAndNamesTheFileAndLineOfEachBadOne) {
    const std::string fourFields =
        "fields; a decision has four, call,line,verdict,reason (quote a reason that holds a "
        "comma)";
    const DecisionsCase cases[] = {
        {"", "", {}},
        {"call,line,verdict,reason\n", "", {}},
        // A spreadsheet's byte order mark, header and CR LF; comments, blank
        // lines, blanks around fields, a quoted comma and a doubled quote.
        {"\xEF\xBB\xBF"
         "Call,Line,Verdict,Reason\r\n# checked by the committee\r\n\r\n"
         "RK7P, 21 ,Credit,\"RK3BMW's check log holds it, serial 2\"\r\n"
         "ua2jOI,16,DENY,  \"RW6A was \"\"off the air\"\" then\"  \r\n"
         "  # RK7P,20,deny,a comment all the same\r"
         "rk7p,21,credit,the same decision again is kept once",
         "",
         {{"RK7P", 21, Verdict::kCredit, "RK3BMW's check log holds it, serial 2",
           "overrides.csv line 4"},
          {"ua2jOI", 16, Verdict::kDeny, "RW6A was \"off the air\" then", "overrides.csv line 5"}}},
        {"RK7P,21,credit", "line 1: has 3 " + fourFields},
        {"RK7P,21,credit,late log, with its QSO", "line 1: has 5 " + fourFields},
        {"call,line,verdict,reason\nRK7P,0,credit,x",
         "line 2: line: \"0\" is no line number (1, 2, ... in the entrant's log file)"},
        {"RK7P,21a,credit,x",
         "line 1: line: \"21a\" is no line number (1, 2, ... in the entrant's log file)"},
        {"RK7P,4294967296,credit,x",
         "line 1: line: \"4294967296\" is no line number (1, 2, ... in the entrant's log file)"},
        {"RK7P,21,maybe,x", "line 1: verdict: \"maybe\" is neither credit nor deny"},
        {",21,credit,x", "line 1: call: \"\" is no call"},
        {"RK7P,21,credit,  ",
         "line 1: reason: missing; the entrant's report shows every decision with its reason"},
        {"RK7P,21,credit,bell\x07",
         "line 1: reason: \"bell\\x07\" holds a character that cannot be printed (a control "
         "character, or bytes that are not UTF-8)"},
        {"RK7P,21,credit,\"not closed\nRK7P,22,deny,x",
         "line 1: field 4: its quote is not closed on this line (a field cannot span lines)"},
        {"RK7P,21,\"credit\" now,x", "line 1: field 3: text after its closing quote"},
        // The header only as the first line.
        {"RK7P,21,credit,x\ncall,line,verdict,reason",
         "line 2: line: \"line\" is no line number (1, 2, ... in the entrant's log file)"},
        {"# two verdicts\nRK7P,21,credit,late log\nUA2TV,18,credit,x\nrk7p,21,deny,no log",
         "line 4: rk7p line 21 is decided twice: credit in overrides.csv line 2, deny here"},
    };
    const fs::path file = fs::path("rules") / "overrides.csv";
    for (const DecisionsCase& c : cases) {
        SCOPED_TRACE(c.text);
        const auto read = ReadDecisionsText(c.text, file);
        if (!c.fault.empty()) {
            ASSERT_TRUE(std::holds_alternative<std::string>(read));
            EXPECT_EQ(std::get<std::string>(read), file.string() + " " + c.fault);
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<std::vector<Decision>>(read))
            << std::get<std::string>(read);
        EXPECT_EQ(std::get<std::vector<Decision>>(read), c.decisions);
    }
}

}  // namespace
