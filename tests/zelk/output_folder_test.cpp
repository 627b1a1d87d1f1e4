// zelk adjudicate's output folder when the disk lets it down: whichever
// single step fails, the folder holds the previous run's results whole and
// nothing of the failed run; a report that cannot be written is named and
// the rest is published; report names are names every system can make.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <span>

#include "adjudication/contest_check.h"
#include "adjudication/log_folder.h"
#include "adjudication/output_folder.h"

namespace zelk::adjudication {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// Every entry under `folder` by its path inside it: a file's bytes, a
// folder's "/".
std::map<std::string, std::string> Entries(const fs::path& folder) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        entries[fs::relative(entry.path(), folder).generic_string()] =
            entry.is_directory() ? "/" : Read(entry.path());
    }
    return entries;
}

std::string Log(const std::string& call, const std::string& worked) {
    return "START-OF-LOG: 3.0\nCALLSIGN: " + call + "\nQSO:  7012 CW 2024-05-12 1000 " + call +
           " 001 63N33O " + worked + " 001 55N37O\nEND-OF-LOG:\n";
}

ContestCheck Contest(const std::vector<std::string>& calls) {
    std::vector<LogFile> files;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        files.push_back(
            ReadLogFile(calls[i] + ".log", Log(calls[i], calls[(i + 1) % calls.size()]), 0));
    }
    return CheckContest(std::move(files), {});
}

// The system's steps, but the `failing`-th of the counted kind fails (and,
// with `stuck`, every one after it too); of the reports, which are written on
// several threads, the one of that name.
struct FailingSteps {
    enum Kind { kRename, kResultsWrite, kFlush, kReportWrite } kind;
    int failing;
    bool stuck = false;
    std::string report = {};  // kReportWrite: the report that cannot be written
    int seen = 0;

    OutputSteps Steps() {
        const OutputSteps system = SystemSteps();
        const auto fails = [this](Kind counted) {
            return counted == kind && ++seen >= failing && (stuck || seen == failing);
        };
        const std::error_code noSpace = std::make_error_code(std::errc::no_space_on_device);
        return {[=, this](const fs::path& path, const std::string& bytes) {
                    const bool isReport = path.parent_path().filename() == kUbnFolder;
                    if (isReport ? kind == kReportWrite && path.filename() == report
                                 : fails(kResultsWrite)) {
                        return noSpace;
                    }
                    return system.write(path, bytes);
                },
                [=](const fs::path& folder, std::span<const fs::path> files,
                    std::span<const fs::path> folders) {
                    return fails(kFlush) ? noSpace : system.flush(folder, files, folders);
                },
                [=](const fs::path& from, const fs::path& to) {
                    return fails(kRename) ? noSpace : system.rename(from, to);
                }};
    }
};

class OutputFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        out_ = fs::temp_directory_path() /
               ("zelk-output-" + std::to_string(std::random_device{}())) / "results";
        // The previous run: three entrants, with the page.
        WriteResults(Contest({"DL1ABC", "R3ABC", "SP5QQ"}), out_, {.html = true});
        previous_ = Entries(out_);
    }
    void TearDown() override { fs::remove_all(out_.parent_path()); }

    fs::path out_;
    std::map<std::string, std::string> previous_;
};

TEST_F(OutputFolder, EveryFailedStepLeavesThePreviousResultsWhole) {
    const ContestCheck next = Contest({"DL1ABC", "UA9XYZ"});  // without the page
    for (const auto kind :
         {FailingSteps::kRename, FailingSteps::kResultsWrite, FailingSteps::kFlush}) {
        int failed = 0;
        for (int step = 1;; ++step) {
            SCOPED_TRACE("kind " + std::to_string(kind) + ", step " + std::to_string(step));
            FailingSteps failing{kind, step};
            try {
                WriteResults(next, out_, {}, failing.Steps());
            } catch (const std::runtime_error& problem) {
                ++failed;
                EXPECT_NE(std::string(problem.what()).find("No space left on device"),
                          std::string::npos);
                ASSERT_EQ(Entries(out_), previous_) << problem.what();
                continue;
            }
            previous_ = Entries(out_);
            break;  // no step of this kind was left to fail
        }
        // Renames: ubn/, csv, json, txt each moved aside and in, the page
        // aside; the three results files; the flush of the files written and
        // the one of the moves.
        EXPECT_EQ(failed, kind == FailingSteps::kRename ? 9 : kind == FailingSteps::kFlush ? 2 : 3);
    }
    const auto written = Entries(out_);
    EXPECT_FALSE(written.contains("results.html"));
    EXPECT_TRUE(written.contains("ubn/UA9XYZ.ubn"));
    EXPECT_FALSE(written.contains("ubn/R3ABC.ubn"));
    for (const auto& [name, bytes] : written) {
        EXPECT_FALSE(name.starts_with(".zelk-run-")) << name;
    }

    // When the moves back fail too, the previous files are kept and named.
    FailingSteps stuck{FailingSteps::kRename, 3, true};
    try {
        WriteResults(Contest({"DL1ABC"}), out_, {}, stuck.Steps());
        FAIL() << "the failure was not told";
    } catch (const std::runtime_error& problem) {
        const std::string told = problem.what();
        const std::size_t at = told.find(".zelk-run-");
        ASSERT_NE(at, std::string::npos) << told;
        const fs::path kept = out_ / told.substr(at, told.find_first_of("/\\", at) - at) / "old";
        EXPECT_EQ(Read(kept / "ubn" / "UA9XYZ.ubn"), written.at("ubn/UA9XYZ.ubn")) << told;
    }
}

// Among three entrants and among 600 (reports are made and written on
// several threads): the report that cannot be written is named, in the
// results too, and each other file holds its own entrant's report.
TEST_F(OutputFolder, AReportThatCannotBeWrittenIsNamedAndTheRestIsPublished) {
    std::vector<std::string> many;
    for (int i = 0; i < 600; ++i) {
        many.push_back("DL" + std::to_string(i) + "X");
    }
    const std::pair<std::vector<std::string>, int> cases[] = {
        {{"DL1ABC", "R3ABC", "SP5QQ"}, 2}, {many, 300}};  // the failing one, in order of call
    for (const auto& [calls, failed] : cases) {
        SCOPED_TRACE(calls.size());
        const ContestCheck contest = Contest(calls);
        FailingSteps failing{FailingSteps::kReportWrite, 0, false,
                             contest.entrants[failed - 1].log.call + ".ubn"};
        const WrittenResults written = WriteResults(contest, out_, {.html = true}, failing.Steps());
        ASSERT_EQ(written.ubnFiles.size(), calls.size());
        const auto entries = Entries(out_);
        const std::string lost = contest.entrants[failed - 1].log.call;
        for (std::size_t e = 0; e < calls.size(); ++e) {
            const std::string& call = contest.entrants[e].log.call;
            const auto report = entries.find("ubn/" + written.ubnFiles[e].name);
            if (call == lost) {
                EXPECT_EQ(written.ubnFiles[e].notWritten,
                          "cannot be written: No space left on device");
                EXPECT_EQ(report, entries.end());
            } else {
                EXPECT_EQ(written.ubnFiles[e].notWritten, "") << call;
                ASSERT_NE(report, entries.end()) << call;
                EXPECT_EQ(report->second.rfind("ZELK contest: check report of " + call + "\n", 0),
                          0u)
                    << call;
            }
        }
        EXPECT_NE(
            entries.at("results.txt").find(lost + ": ubn/" + lost + ".ubn: cannot be written"),
            std::string::npos);
        EXPECT_NE(entries.at("results.html").find("not written: cannot be written"),
                  std::string::npos);
        const auto results = nlohmann::json::parse(entries.at("results.json"));
        for (const auto& entrant : results["entrants"]) {
            const bool isLost = entrant["call"] == lost;
            EXPECT_EQ(entrant["ubn"].is_null(), isLost) << entrant["call"];
            EXPECT_EQ(entrant.contains("ubn_not_written"), isLost) << entrant["call"];
        }
    }
}

// The reports quote lines read again from the logs' files: a log written
// after the check read it (another size; or the same size, its write time
// moved) stops the run before anything is made, naming the file; unchanged,
// its lines are quoted.
TEST_F(OutputFolder, ALogChangedAfterTheCheckReadItStopsTheRun) {
    const fs::path logs = out_.parent_path() / "logs";
    const std::vector<std::string> calls = {"DL1ABC", "R3ABC", "SP5QQ"};
    const std::string changes[] = {"", Log("DL1ABC", "UA9XYZ"), Log("DL1ABC", "R3ABD")};
    for (const std::string& change : changes) {
        SCOPED_TRACE(change);
        fs::remove_all(logs);
        fs::create_directories(logs);
        for (std::size_t i = 0; i < calls.size(); ++i) {
            std::ofstream(logs / (calls[i] + ".log"), std::ios::binary)
                << Log(calls[i], calls[(i + 1) % calls.size()]);
        }
        auto read = ReadLogFolder(logs, nullptr);
        const ContestCheck contest =
            CheckContest(std::get<std::vector<LogFile>>(std::move(read)), {});
        if (change.empty()) {
            WriteResults(contest, out_);
            EXPECT_NE(Read(out_ / "ubn" / "DL1ABC.ubn").find("DL1ABC.log line 3"),
                      std::string::npos);
            previous_ = Entries(out_);
            continue;
        }
        const auto written = fs::last_write_time(logs / "DL1ABC.log");
        std::ofstream(logs / "DL1ABC.log", std::ios::binary | std::ios::trunc) << change;
        fs::last_write_time(logs / "DL1ABC.log", written + std::chrono::seconds(1));
        try {
            WriteResults(contest, out_);
            ADD_FAILURE() << "the change was not seen";
        } catch (const std::runtime_error& problem) {
            EXPECT_EQ(std::string(problem.what()),
                      "DL1ABC.log: the file changed after the check read it, so its lines cannot "
                      "be quoted; check the contest again");
        }
        EXPECT_EQ(Entries(out_), previous_);
    }
}

TEST(UbnFiles, NamesAreShortUniqueAndNoWindowsDevice) {
    const std::string longCall(300, 'K');
    const std::pair<std::string, std::string> cases[] = {
        {"UA9XYZ", "UA9XYZ.ubn"},
        {"NUL", "NUL_.ubn"},
        {"CON.TXT", "CON_.TXT.ubn"},
        {"COM1", "COM1_.ubn"},
        {"COM0", "COM0_.ubn"},
        {"LPT9", "LPT9_.ubn"},
        {"CONIN$", "CONIN$_.ubn"},
        {"conout$", "conout$_.ubn"},
        {"AUX.UBN", "AUX_.UBN.ubn"},
        {"nul.tar", "nul_.tar.ubn"},
        {"COM10", "COM10.ubn"},
        {"NULL", "NULL.ubn"},
        {"R9/P", "R9_P.ubn"},
        {"R9?P", "R9_P-2.ubn"},
        {"r9_p", "r9_p-3.ubn"},
        {longCall, std::string(40, 'K') + ".ubn"},
        {longCall + "X", std::string(40, 'K') + "-2.ubn"},
    };
    ContestCheck contest;
    for (const auto& [call, name] : cases) {
        contest.entrants.emplace_back().log.call = call;
    }
    const std::vector<UbnFile> files = UbnFiles(contest);
    ASSERT_EQ(files.size(), std::size(cases));
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(files[i].name, cases[i].second) << cases[i].first.substr(0, 20);
    }
}

}  // namespace
}  // namespace zelk::adjudication
