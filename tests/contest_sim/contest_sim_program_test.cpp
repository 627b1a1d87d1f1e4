// The program zelk-contest-sim: it writes the library's contest, dated, with
// its truth file; its options make the same contest as the parameters; and
// the shipped example is what it makes.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <variant>

#include "logfile/cabrillo_reader.h"
#include "simulator.h"

namespace zelk::sim {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

class ContestSimProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("zelk-contest-sim-" + std::to_string(std::random_device{}()));
        fs::create_directories(root_);
    }
    void TearDown() override { fs::remove_all(root_); }

    int Run(const std::string& arguments) {
        const std::string command = std::string(ZELK_CONTEST_SIM) + " " + arguments + " >" +
                                    (root_ / "stdout").string() + " 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path root_;
};

TEST_F(ContestSimProgram, WritesTheLibrarysContestWithNewerLogsNewerOnDisk) {
    const SimulationParameters p = WithOrganiserRules(8);
    const SimulatedContest contest = Simulate(p);
    ASSERT_EQ(Run(CommandLine(p).substr(std::string("zelk-contest-sim").size()) + " --out " +
                  (root_ / "logs").string() + " --truth " + (root_ / "truth.tsv").string()),
              0)
        << Read(root_ / "stdout");
    EXPECT_EQ(Read(root_ / "truth.tsv"), TruthTsv(contest));
    std::map<std::string, fs::file_time_type> times;
    for (const SubmittedFile& file : contest.files) {
        EXPECT_EQ(Read(root_ / "logs" / file.name), file.bytes) << file.name;
        times[file.name] = fs::last_write_time(root_ / "logs" / file.name);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(root_ / "logs"), {}),
              static_cast<std::ptrdiff_t>(contest.files.size()));
    // An older log is older on disk; a log of another contest newer.
    int superseded = 0;
    for (const SubmittedFile& unused : contest.files) {
        for (const SubmittedFile& used : contest.files) {
            if (unused.status == FileStatus::Superseded && used.status == FileStatus::Read &&
                used.call == unused.call) {
                const auto log =
                    std::get<logfile::CabrilloLog>(logfile::ReadCabrillo(unused.bytes));
                const bool otherContest = log.Contest() == "CQ-WW-CW";
                EXPECT_EQ(times[unused.name] > times[used.name], otherContest) << unused.name;
                ++superseded;
            }
        }
    }
    EXPECT_EQ(superseded, p.faults.resubmissions + p.faults.otherContestLogs);
}

// --organiser-rules and --real-log-shapes give each of their faults the
// preset's number unless its own option says otherwise; the truth file's
// entrant rows say what the contest's entrants do.
TEST_F(ContestSimProgram, PresetOptionsMakeThePresetsContest) {
    SimulationParameters p = WithOrganiserRules(4);
    p.faults = WithRealLogShapes(p.faults);
    p.faults.checkLogs = 2;
    p.faults.outOfBand = 3;
    const SimulatedContest contest = Simulate(p);
    ASSERT_EQ(Run("--seed 4 --organiser-rules --real-log-shapes --check-logs 2 --out-of-band 3 "
                  "--out " +
                  (root_ / "logs").string() + " --truth " + (root_ / "truth.tsv").string()),
              0)
        << Read(root_ / "stdout");
    const std::string truth = Read(root_ / "truth.tsv");
    EXPECT_EQ(truth, TruthTsv(contest));
    std::istringstream rows(truth);
    std::size_t entrant = 0;
    for (std::string row; std::getline(rows, row);) {
        std::vector<std::string> columns;
        std::istringstream fields(row);
        for (std::string column; std::getline(fields, column, '\t');) {
            columns.push_back(column);
        }
        if (columns.size() < 4 || columns[3] != "entrant") {
            EXPECT_LE(columns.size(), 5u) << row;
            continue;
        }
        ASSERT_LT(entrant, contest.entrants.size());
        const EntrantTruth& e = contest.entrants[entrant++];
        const std::string place = e.categoryPlace == 0 ? "" : std::to_string(e.categoryPlace);
        const std::vector<std::string> expected = {contest.files[e.file].name,
                                                   "",
                                                   contest.files[e.file].call,
                                                   "entrant",
                                                   e.note,
                                                   e.categoryOperator,
                                                   e.categoryBand,
                                                   e.categoryPower,
                                                   e.categoryTransmitter,
                                                   std::to_string(e.checkedScore),
                                                   place,
                                                   std::to_string(e.clockOffsetMinutes),
                                                   std::to_string(e.unreadableLines)};
        EXPECT_EQ(columns, expected);
    }
    EXPECT_EQ(entrant, contest.entrants.size());
}

TEST_F(ContestSimProgram, RefusesATruthFileInsideTheContestFolder) {
    EXPECT_EQ(Run("--out " + root_.string() + " --truth " + (root_ / "t.tsv").string()), 2);
    EXPECT_NE(Read(root_ / "stdout").find("outside"), std::string::npos);
    EXPECT_FALSE(fs::exists(root_ / "t.tsv"));
}

// The shipped example is what the program makes from the command line at
// the top of its truth file.
TEST_F(ContestSimProgram, ExampleContestIsWhatTheProgramMakes) {
    const fs::path examples = ZELK_EXAMPLES;
    const std::string truth = Read(examples / "contest-truth.tsv");
    const std::string prefix = "# zelk-contest-sim ";
    ASSERT_EQ(truth.rfind(prefix, 0), 0u);
    const std::string arguments = truth.substr(prefix.size(), truth.find('\n') - prefix.size());
    ASSERT_EQ(Run(arguments + " --out " + (root_ / "contest").string() + " --truth " +
                  (root_ / "truth.tsv").string()),
              0)
        << Read(root_ / "stdout");
    EXPECT_EQ(Read(root_ / "truth.tsv"), truth);
    std::set<std::string> made, shipped;
    for (const auto& entry : fs::directory_iterator(root_ / "contest")) {
        made.insert(entry.path().filename().string());
        EXPECT_EQ(Read(entry.path()), Read(examples / "contest" / entry.path().filename()))
            << entry.path().filename();
    }
    for (const auto& entry : fs::directory_iterator(examples / "contest")) {
        shipped.insert(entry.path().filename().string());
    }
    EXPECT_EQ(made, shipped);
}
}  // namespace
}  // namespace zelk::sim
