// zelk run as a user runs it: a separate process in a temporary folder, with
// the plug-in built beside it. The expected reports were worked out by hand
// from the contest rules (fixtures/README.md) and, for the shipped example,
// by examples/make_example.py.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kFixtures = ZELK_TEST_FIXTURES;
const fs::path kExamples = ZELK_EXAMPLES;

std::string Read(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void Write(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char ch : text) {
        quoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    }
    return quoted + "'";
}

bool HasProgram(const char* name) {
    return std::system(("command -v " + std::string(name) + " >/dev/null 2>&1").c_str()) == 0;
}

struct ZelkRun {
    int status = -1;
    std::string out;
    std::string err;
};

class ZelkCli : public ::testing::Test {
  protected:
    void SetUp() override {
        std::random_device random;
        root_ = fs::temp_directory_path() / ("zelk-cli-" + std::to_string(random()));
        fs::create_directories(root_);
        contest_ = root_ / "contest";
    }
    void TearDown() override { fs::remove_all(root_); }

    // Runs zelk in `folder` (the temporary root by default) with standard
    // input from /dev/null, as in a script.
    ZelkRun Zelk(const std::string& arguments, const std::string& environment = "") {
        const fs::path out = root_ / "stdout.txt";
        const fs::path err = root_ / "stderr.txt";
        const std::string command =
            "cd " + Quote(root_.string()) + " && " + environment + " " + Quote(ZELK_PROGRAM) + " " +
            arguments + " >" + Quote(out.string()) + " 2>" + Quote(err.string()) + " </dev/null";
        const int raw = std::system(command.c_str());
        ZelkRun run;
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.out = Read(out);
        run.err = Read(err);
        return run;
    }

    void Init(const std::string& coordinate) {
        const ZelkRun run = Zelk("init contest --coordinate " + coordinate);
        ASSERT_EQ(run.status, 0) << run.err;
    }

    std::string Small() const { return Quote((kFixtures / "small.adi").string()); }

    fs::path root_;
    fs::path contest_;
};

TEST_F(ZelkCli, ScoringTheSmallLogPrintsTheReportWorkedOutByHand) {
    Init("50N30O");
    const ZelkRun run = Zelk("score " + Small() + " -C contest");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, Read(kFixtures / "small.report.txt") + "7 contacts read: 5 admitted, " +
                           "2 refused (see " + (contest_ / "err.txt").string() +
                           "), 1 duplicate\n");
    EXPECT_EQ(Read(contest_ / "err.txt"), Read(kFixtures / "small.err.txt"));
    EXPECT_FALSE(fs::exists(contest_ / "R9TST.cbr"));
}

TEST_F(ZelkCli, CabrilloFileCarriesEveryStoredContactOnce) {
    Init("50N30O");
    const ZelkRun run = Zelk("score " + Small() + " -C contest --cabrillo --yes");
    ASSERT_EQ(run.status, 0) << run.err;
    const fs::path cabrillo = contest_ / "R9TST.cbr";
    EXPECT_NE(run.out.find("; Cabrillo file " + cabrillo.string() + " written\n"),
              std::string::npos)
        << run.out;
    const std::string file = Read(cabrillo);
    EXPECT_TRUE(file.starts_with("START-OF-LOG: 3.0\r\nCONTEST: ZELK\r\nCALLSIGN: R9TST\r\n"))
        << file;
    EXPECT_NE(file.find("\r\nCLAIMED-SCORE: 793\r\n"), std::string::npos) << file;
    EXPECT_TRUE(file.ends_with("\r\nEND-OF-LOG:\r\n")) << file;
    std::size_t lines = 0;
    for (std::size_t at = file.find("\nQSO: "); at != std::string::npos;
         at = file.find("\nQSO: ", at + 1)) {
        ++lines;
    }
    EXPECT_EQ(lines, 4u);
    EXPECT_NE(file.find("\r\nQSO: 14025 CW 2024-05-12 0800 R9TST         001  50N30O   "
                        "UA1AAA        001  55N37O\r\n"),
              std::string::npos)
        << file;
    EXPECT_NE(file.find("\r\nQSO:  3525 CW 2024-05-12 0825 R9TST         006  50N30O   "
                        "RA3BBB        007  66S10W\r\n"),
              std::string::npos)
        << file;
}

TEST_F(ZelkCli, CabrilloFileIsFoundUnderThePluginsNameForTheCall) {
    Init("50N30O");
    const ZelkRun run = Zelk("score " + Small() + " -C contest --cabrillo --yes --call 'UA1A:X'");
    ASSERT_EQ(run.status, 0) << run.err;
    const fs::path cabrillo = contest_ / "UA1A_X.cbr";
    EXPECT_NE(run.out.find("; Cabrillo file " + cabrillo.string() + " written\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(Read(cabrillo).find("\r\nCALLSIGN: UA1A:X\r\n"), std::string::npos);
}

TEST_F(ZelkCli, InitStoresTheCoordinateWhereThePluginReadsItOrSaysWhyNot) {
    struct Case {
        const char* name;
        std::string before;  // the file the link points to
        int status;
        std::string after;  // empty: left as it is
        const char* said;   // on standard error
    };
    const std::string utf16("\xFF\xFE[\0S\0]\0\r\0\n\0", 12);
    const Case cases[] = {
        {"CR LF lines and a repeated key", "[Settings]\r\nSetup_ZELK=50N30O\r\nSetup_ZELK=1N1O\r\n",
         0, "[Settings]\r\nSetup_ZELK=33S70W\r\nSetup_ZELK=1N1O\r\n", ""},
        {"UTF-16", utf16, 1, "", "ZELK.ini is UTF-16 text and was left as it is"},
    };
    Init("50N30O");
    // The settings file is a link to a file kept elsewhere: that file changes.
    const fs::path shared = root_ / "shared" / "ZELK.ini";
    fs::create_directories(shared.parent_path());
    fs::remove(contest_ / "Plugins" / "ZELK.ini");
    fs::create_symlink("../../shared/ZELK.ini", contest_ / "Plugins" / "ZELK.ini");
    for (const Case& c : cases) {
        Write(shared, c.before);
        const ZelkRun run = Zelk("init contest --coordinate 33S70W");
        EXPECT_EQ(run.status, c.status) << c.name << "\n" << run.err;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << c.name << "\n" << run.err;
        EXPECT_EQ(Read(shared), c.after.empty() ? c.before : c.after) << c.name;
        EXPECT_TRUE(fs::is_symlink(contest_ / "Plugins" / "ZELK.ini")) << c.name;
    }
}

TEST_F(ZelkCli, JsonReportParsesAndCarriesRowsTotalsAndCounts) {
    Init("50N30O");
    const ZelkRun run = Zelk("score " + Small() + " -C contest --format json");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("{\"group\": \"3\", \"qsos\": 1, \"points\": 50, \"lat\": 16, "
                           "\"long\": 20, \"zelk\": 0, \"polar\": 100}"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\"claimed_score\": 793"), std::string::npos);
    EXPECT_NE(run.out.find("\"contacts\": {\"read\": 7, \"admitted\": 5, \"refused\": 2, "
                           "\"duplicates\": 1, \"skipped\": 0}"),
              std::string::npos);
    EXPECT_NE(run.err.find("7 contacts read"), std::string::npos) << run.err;

    const fs::path json = root_ / "stdout.txt";
    if (HasProgram("node")) {
        EXPECT_EQ(std::system(("node -e 'JSON.parse(require(\"fs\").readFileSync(0))' < " +
                               Quote(json.string()))
                                  .c_str()),
                  0);
    } else if (HasProgram("python3")) {
        EXPECT_EQ(
            std::system(("python3 -m json.tool < " + Quote(json.string()) + " >/dev/null").c_str()),
            0);
    } else {
        GTEST_SKIP() << "neither node nor python3 is there to parse the JSON";
    }
}

TEST_F(ZelkCli, TheShippedExampleScoresAsWorkedOutFromTheRules) {
    Init("55N37O");
    const ZelkRun run =
        Zelk("score " + Quote((kExamples / "zelk-contest.adi").string()) + " -C contest");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, Read(kExamples / "zelk-contest.report.txt") +
                           "201 contacts read: 199 admitted, 2 refused (see " +
                           (contest_ / "err.txt").string() + "), 1 duplicate\n");
}

TEST_F(ZelkCli, MalformedOrUnreadableLogsStopWithStatusTwoAndWriteNothing) {
    Init("50N30O");
    struct Case {
        const char* what;
        std::string log;  // written to bad.adi unless empty
        std::string logArgument;
        std::string message;
    };
    const std::string good =
        "<CALL:5>UA1AA<FREQ:6>14.025<MODE:2>CW<STATION_CALLSIGN:5>R9TST<EOR>\n";
    const Case cases[] = {
        {"bad length", good + "<CALL:x>UA1AB<EOR>\n", "bad.adi",
         "bad.adi: record 2, byte 68: field CALL: length 'x'"},
        {"value past the end", good + "<CALL:99>UA1AB<EOR>\n", "bad.adi",
         "bad.adi: record 2, byte 68: field CALL: its value of 99 bytes runs past"},
        {"unterminated tag", good + "<CALL:5 UA1AB<EOR>\n", "bad.adi",
         "record 2, byte 68: tag without its closing '>'"},
        {"missing file", "", "missing.adi", "missing.adi: cannot be read"},
        {"folder", "", "contest", "contest: is a folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.log.empty()) {
            Write(root_ / "bad.adi", c.log);
        }
        const ZelkRun run = Zelk("score " + c.logArgument + " -C contest --cabrillo --yes");
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_FALSE(fs::exists(contest_ / "err.txt"));
        EXPECT_FALSE(fs::exists(contest_ / "R9TST.cbr"));
    }
}

// Files written the way other logging programs write them
// (fixtures/awkward/README.md): each is scored, or refused only when its
// structure cannot be followed, and every warning and skipped contact is
// listed with its place, field and reason, printably.
TEST_F(ZelkCli, OtherLoggersFilesAreReadLenientlyAndWarnedAboutPrecisely) {
    Init("50N30O");
    struct Case {
        const char* file;
        int status;
        int read;  // records; the contacts handed over are read - skipped
        int skipped;
        std::vector<std::string> notes;  // each on stderr after "zelk score: "
        std::string out = {};            // part of the JSON report
        std::string cabrillo = {};       // part of the Cabrillo file; empty: none asked for
    };
    const Case cases[] = {
        {"lotw-download.adi",
         0,
         2,
         0,
         {"warning: L: after record 2, byte 736: field APP_LOTW_EOF: tag <APP_LoTW_EOF> has no "
          "length; ignored"}},
        {"header-fields-first.adi", 0, 2, 0, {}},
        {"header-email.adi", 0, 2, 0, {}},
        {"leading-blank-lines.adi", 0, 1, 0, {}},
        {"lowercase-crlf.adi", 0, 2, 0, {}, "{\"group\": \"14\", \"qsos\": 2,"},
        {"header-tag-without-length.adi",
         0,
         1,
         0,
         {"warning: L: header, byte 38: field LOGGER_BUILD: tag <LOGGER_BUILD> in the header "
          "has no length; ignored"}},
        {"eof-trailer.adi",
         0,
         1,
         0,
         {"warning: L: after record 1, byte 199: field EOF: tag <EOF> has no length; ignored"}},
        {"utf8-length-in-characters.adi",
         0,
         1,
         0,
         {"warning: L: record 1, byte 209: field NAME: length 4 counts characters, not bytes: "
          "read as 5 bytes 'Jörg'",
          "warning: L: record 1, byte 223: field QTH: length 6 counts characters, not bytes: "
          "read as 12 bytes 'Москва'"}},
        {"stx-string-with-coordinate.adi",
         0,
         2,
         0,
         {"warning: L: record 2, byte 380: field STX_STRING: sent coordinate 51N30O differs "
          "from the station's 50N30O"},
         "",
         "QSO: 14025 CW 2024-05-12 0815 R9TST         002  50N30O   RA3BBB        012  55N37O"},
        {"microwave-10ghz.adi",
         0,
         1,
         0,
         {"warning: L: record 1, byte 64: field FREQ: '10368.100' MHz is above 4294.967295 MHz"},
         "{\"group\": \"10000\", \"qsos\": 1,",
         "QSO:     0 CW 2024-05-12 0800 R9TST         001  50N30O   UA1AAA        012  55N37O"},
        {"band-only-9cm.adi", 0, 1, 0, {}, "{\"group\": \"3300\", \"qsos\": 1,"},
        {"freq-in-khz.adi",
         0,
         2,
         1,
         {"contact skipped: L: record 2, byte 253: field FREQ: '14025' MHz lies in no amateur "
          "band; it looks like kHz"}},
        {"freq-in-hz.adi",
         0,
         1,
         1,
         {"contact skipped: L: record 1, byte 64: field FREQ: '7012000' MHz lies in no amateur "
          "band; it looks like Hz"}},
        {"stx-signal-report.adi",
         0,
         2,
         1,
         {"contact skipped: L: record 1, byte 122: field STX: '-05' is not a serial number"}},
        {"bad-date-and-time.adi",
         0,
         3,
         2,
         {"contact skipped: L: record 1, byte 15: field QSO_DATE: '2024-05-12' is not a date",
          "contact skipped: L: record 2, byte 228: field TIME_ON: '800' is not a time"}},
        {"repeated-field.adi",
         0,
         3,
         1,
         {"contact skipped: L: record 2, byte 387: field CALL: given twice with different "
          "values: 'RA3BBB' at byte 204, then 'RA3BBC'",
          "warning: L: record 3, byte 606: field COMMENT: given twice with different values: "
          "'tnx' at byte 591, then 'tnx!'; the contact is kept"}},
        {"no-final-eor.adi",
         0,
         2,
         1,
         {"contact skipped: L: record 2, byte 189: the record has no <EOR> before the end of "
          "the file"}},
        {"binary-length.adi",
         2,
         0,
         0,
         {"L: record 2, byte 189: field CALL: length '\\xff\\n' is not a number of bytes"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        fs::remove(contest_ / "err.txt");
        const std::string log = (kFixtures / "awkward" / c.file).string();
        const ZelkRun run = Zelk("score " + Quote(log) + " -C contest --call R9TST --format json" +
                                 (c.cabrillo.empty() ? "" : " --cabrillo --yes"));
        EXPECT_EQ(run.status, c.status) << run.err;
        for (std::string note : c.notes) {
            note.replace(note.find("L: "), 1, log);
            EXPECT_NE(run.err.find("zelk score: " + note + (c.status == 0 ? "" : "\n")),
                      std::string::npos)
                << note << "\n"
                << run.err;
        }
        // One line per note, nothing else from zelk but the summary line.
        std::size_t lines = 0;
        for (std::size_t at = 0; at != std::string::npos; at = run.err.find('\n', at + 1)) {
            lines += run.err.compare(at == 0 ? 0 : at + 1, 12, "zelk score: ") == 0;
        }
        EXPECT_EQ(lines, c.notes.size()) << run.err;
        EXPECT_TRUE(std::none_of(run.err.begin(), run.err.end(), [](char ch) {
            return ch != '\n' && std::iscntrl(ch);
        })) << run.err;
        if (c.status != 0) {
            EXPECT_EQ(run.out, "");
            EXPECT_FALSE(fs::exists(contest_ / "err.txt"));
            continue;
        }
        EXPECT_NE(run.out.find("\"contacts\": {\"read\": " + std::to_string(c.read) + ","),
                  std::string::npos)
            << run.out;
        EXPECT_NE(run.out.find("\"skipped\": " + std::to_string(c.skipped) + "}"),
                  std::string::npos)
            << run.out;
        EXPECT_NE(run.out.find(c.out), std::string::npos) << run.out;
        if (!c.cabrillo.empty()) {
            EXPECT_NE(Read(contest_ / "R9TST.cbr").find(c.cabrillo + "\r\n"), std::string::npos)
                << Read(contest_ / "R9TST.cbr");
        }
    }
}

TEST_F(ZelkCli, CheckSaysWhetherACallIsNewAndGivesItsReference) {
    Init("50N30O");
    struct Case {
        const char* arguments;
        const char* answer;
    };
    const Case cases[] = {
        {"UA1AAA --group 14", "UA1AAA was worked before in group 14 (CW)\n"},
        {"UA1AAA --group 3", "UA1AAA is new in group 3 (CW)\nReference: none\n"},
        {"UA1AAA --group 14 --mode SSB", "UA1AAA is new in group 14 (SSB)\nReference: none\n"},
        {"ZELK --group 7", "ZELK is new in group 7 (CW)\nReference: 55N37O Moscow\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const ZelkRun run =
            Zelk("check " + std::string(c.arguments) + " --log " + Small() + " -C contest");
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, c.answer);
    }
}

TEST_F(ZelkCli, CheckAnswersWithoutTheSkippedContactsAndSaysSo) {
    Init("50N30O");
    const ZelkRun run = Zelk("check RA3BBB --group 14 -C contest --log " +
                             Quote((kFixtures / "awkward" / "repeated-field.adi").string()));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "RA3BBB is new in group 14 (CW)\nReference: none\n");
    EXPECT_NE(run.err.find("zelk check: contact skipped: "), std::string::npos) << run.err;
    EXPECT_TRUE(
        run.err.ends_with("zelk check: the answer leaves out the 1 skipped of 3 contacts read\n"))
        << run.err;
}

TEST_F(ZelkCli, ScoringOutsideAContestFolderSaysHowToMakeOne) {
    const ZelkRun run = Zelk("score " + Small());
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("zelk init"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(root_ / "err.txt"));
}

TEST_F(ZelkCli, SetupConfirmedWithoutATerminalKeepsTheStoredCoordinate) {
    Init("50N30O");
    const ZelkRun run = Zelk("setup -C contest", "ZELK_DIALOG=ok");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Station coordinate: 50N30O"), std::string::npos) << run.out;
}

TEST_F(ZelkCli, HelpAndVersionAnswer) {
    for (const char* arguments :
         {"--help", "init --help", "score --help", "setup --help", "check --help"}) {
        const ZelkRun run = Zelk(arguments);
        EXPECT_EQ(run.status, 0) << arguments;
        EXPECT_NE(run.out.find("Usage: zelk"), std::string::npos) << arguments << run.out;
    }
    const ZelkRun version = Zelk("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.starts_with("zelk ")) << version.out;
}

TEST_F(ZelkCli, WrongArgumentsGiveStatusTwo) {
    Init("50N30O");
    for (const std::string& arguments :
         {std::string("score"), std::string("init other --coordinate 55X37O"),
          "score " + Small() + " -C contest --date 2024-13-01",
          "score " + Small() + " -C contest --lat 55", std::string("check R1A --group 14"),
          std::string("frobnicate")}) {
        const ZelkRun run = Zelk(arguments);
        EXPECT_EQ(run.status, 2) << arguments << "\n" << run.err;
        EXPECT_FALSE(run.err.empty()) << arguments;
    }
    EXPECT_FALSE(fs::exists(root_ / "other"));
    EXPECT_FALSE(fs::exists(contest_ / "err.txt"));
}

// The rows of a score table as printed: the group and its six figures,
// whether tab separated (zelk score) or aligned (the summary).
std::vector<std::string> ScoreRows(const std::string& text) {
    std::vector<std::string> rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string group;
        long figure = 0;
        std::string row;
        int figures = 0;
        for (fields >> group; figures < 6 && fields >> figure; ++figures) {
            row += " " + std::to_string(figure);
        }
        if (figures == 6) {
            rows.push_back(group + row);
        }
    }
    return rows;
}

// The line of `text` that holds `part`, from its start; empty when none does.
std::string LineHolding(const std::string& text, const std::string& part) {
    const std::size_t at = text.find(part);
    if (at == std::string::npos) {
        return "";
    }
    const std::size_t begin =
        text.rfind('\n', at) == std::string::npos ? 0 : text.rfind('\n', at) + 1;
    return text.substr(begin, text.find('\n', at) - begin);
}

// Runs of blanks as one.
std::string Squeezed(const std::string& text) {
    std::string squeezed;
    for (char ch : text) {
        if (ch != ' ' || squeezed.empty() || squeezed.back() != ' ') {
            squeezed += ch;
        }
    }
    return squeezed;
}

// A log has one score wherever zelk scores it by its own rules: from the
// coordinate its lines sent, or from the same coordinate stored in the
// contest folder, for a station west of Greenwich too (its claimed score).
TEST_F(ZelkCli, ReportScoresTheSentCoordinateAsTheStoredOne) {
    Init("69N46W");
    const std::string log = Quote((kExamples / "contest" / "OX1HFH.log").string());
    const ZelkRun sent = Zelk("report " + log + " --summary -o sent.html");
    const ZelkRun stored = Zelk("report " + log + " -C contest --summary -o stored.html");
    ASSERT_EQ(sent.status, 0) << sent.err;
    ASSERT_EQ(stored.status, 0) << stored.err;
    EXPECT_EQ(LineHolding(sent.out, "Score:"), LineHolding(stored.out, "Score:"));
    EXPECT_TRUE(LineHolding(sent.out, "Score:").ends_with("= 1212")) << sent.out;
}

// zelk report scores by the core's rules without the plug-in: its table and
// score must be the plug-in's, for ADIF and Cabrillo logs alike, and the
// page must list what err.txt lists.
TEST_F(ZelkCli, ReportShowsTheNumbersZelkScorePrints) {
    Init("55N37O");
    ASSERT_EQ(Zelk("score " + Quote((kExamples / "zelk-contest.adi").string()) +
                   " -C contest --cabrillo --yes")
                  .status,
              0);
    fs::rename(contest_ / "R3ZLK.cbr", root_ / "example.cbr");
    const std::string logs[] = {Small(), Quote((kExamples / "zelk-contest.adi").string()),
                                "example.cbr",
                                Quote((kFixtures / "cabrillo" / "other-loggers.log").string()),
                                Quote((kFixtures / "cabrillo" / "unreadable-lines.log").string())};
    for (const std::string& log : logs) {
        SCOPED_TRACE(log);
        const ZelkRun score = Zelk("score " + log + " -C contest");
        ASSERT_EQ(score.status, 0) << score.err;
        const ZelkRun report = Zelk("report " + log + " -C contest --summary -o page.html");
        ASSERT_EQ(report.status, 0) << report.err;
        const std::vector<std::string> rows = ScoreRows(score.out);
        ASSERT_GE(rows.size(), 2u) << score.out;
        EXPECT_EQ(ScoreRows(report.out), rows) << report.out;
        EXPECT_EQ(Squeezed(LineHolding(report.out, "Score:")), LineHolding(score.out, "Score:"));
        // "201 contacts read: 199 admitted, 2 refused" in both.
        std::string counts = LineHolding(score.out, " contacts read: ");
        counts = counts.substr(0, counts.find(" refused"));
        ASSERT_FALSE(counts.empty()) << score.out;
        EXPECT_TRUE(LineHolding(report.err, " contacts read: ").starts_with(counts)) << report.err;
        const std::string page = Read(root_ / "page.html");
        EXPECT_NE(page.find("<!DOCTYPE html>"), std::string::npos);
        std::istringstream errors(Read(contest_ / "err.txt"));
        for (std::string line; std::getline(errors, line);) {
            if (const std::size_t qso = line.find("QSO:"); qso != std::string::npos) {
                EXPECT_NE(page.find(line.substr(qso, 24)), std::string::npos) << line;
            }
        }
    }
}

TEST_F(ZelkCli, ReportRefusesWhatItCannotMakeAndWritesNothing) {
    Init("55N37O");
    fs::create_directories(root_ / "plain");
    fs::copy_file(kFixtures / "small.adi", root_ / "log.adi");
    fs::create_hard_link(root_ / "log.adi", root_ / "hard.adi");
    fs::create_symlink("log.adi", root_ / "link.adi");
    struct Case {
        std::string arguments;
        int status;
        const char* said;
    };
    const Case cases[] = {
        {"report " + Small() + " -C contest", 2, "nothing to make"},
        {"report " + Small() + " -C contest --summary --date 2024-02-30", 2, "is not a date"},
        {"report " + Small() + " --summary", 2, "no station coordinate"},
        {"report " + Small() + " -C plain --summary", 2, "is not a contest folder"},
        // The page never takes the log's place, by whatever name it is given.
        {"report log.adi -C contest -o log.adi", 2, "is the log log.adi itself"},
        {"report log.adi -C contest -o ./plain/../log.adi", 2, "itself"},
        {"report log.adi -C contest -o hard.adi", 2, "itself"},
        {"report log.adi -C contest -o link.adi", 2, "itself"},
        {"report link.adi -C contest -o log.adi", 2, "itself"},
        {"report " + Small() + " -C contest -o missing/page.html", 1,
         "missing/page.html: cannot be written"},
        {"report " + Small() + " -C contest --summary --min-off 0", 2, "min-off"},
        {"report missing.adi -C contest --summary", 2, "missing.adi: cannot be read"},
    };
    for (const Case& c : cases) {
        const ZelkRun run = Zelk(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments << "\n" << run.err;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << c.arguments << "\n" << run.err;
        EXPECT_FALSE(fs::exists(root_ / "missing")) << c.arguments;
        EXPECT_FALSE(fs::exists(contest_ / "err.txt")) << c.arguments;
        EXPECT_EQ(Read(root_ / "log.adi"), Read(kFixtures / "small.adi")) << c.arguments;
    }
    const ZelkRun degrees = Zelk("report " + Small() + " --lat 50 --lon 30 --summary");
    EXPECT_EQ(degrees.status, 0) << degrees.err;
    EXPECT_NE(degrees.out.find("Station:        50N30O"), std::string::npos) << degrees.out;
}

TEST_F(ZelkCli, ALibraryThatIsNoPluginIsRefused) {
    Init("50N30O");
    const ZelkRun run = Zelk("--plugin " + Small() + " score " + Small() + " -C contest");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot be used"), std::string::npos) << run.err;
}

}  // namespace
