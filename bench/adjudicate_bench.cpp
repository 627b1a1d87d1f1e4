// adjudicate_bench: zelk adjudicate's work on simulated contests, timed as
// an organiser meets it: read every file of the folder, check, score and
// write the results. Figures for 100,000 and 1,000,000 QSO lines (200 and
// 2,000 logs of 500 lines, made by the contest simulator into a temporary
// folder before anything is timed); each measured run is a process of its
// own, so its peak memory above what it held before loading is its own, and
// writes into a new output folder.
// Beside it, on the 100,000 lines already read, the check against the
// plain baseline that searches from the front (plain_check.h).
//
//   adjudicate_bench [--smoke]
//
// --smoke runs everything once on a tiny contest and checks that the plain
// baseline agrees with the check (for the test command; no figure is judged).
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "adjudication/contest_check.h"
#include "adjudication/log_folder.h"
#include "adjudication/output_folder.h"
#include "plain_check.h"
#include "simulator.h"

namespace zelk::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

struct Size {
    const char* name;
    int logs;
    int qsos;
    int faults;
};

sim::SimulationParameters Parameters(const Size& size) {
    sim::SimulationParameters p;
    p.seed = 20240512;
    p.stations = size.logs + std::max(size.logs / 20, 4);
    p.logs = size.logs;
    p.contactsPerStation = size.qsos;
    const int f = size.faults;
    p.faults = {f, f, f, f, f, f, std::max(1, f / 4), 1, 1, f, f};
    return p;
}

// Makes the contest's files in a child process, so that this one stays small.
void MakeContest(const Size& size, const fs::path& folder) {
    const pid_t child = fork();
    if (child == 0) {
        const sim::SimulatedContest contest = sim::Simulate(Parameters(size));
        fs::create_directories(folder);
        for (const sim::SubmittedFile& file : contest.files) {
            std::ofstream(folder / file.name, std::ios::binary) << file.bytes;
            fs::last_write_time(folder / file.name,
                                std::chrono::file_clock::from_sys(std::chrono::sys_seconds{
                                    std::chrono::seconds{file.modifiedTime}}));
        }
        std::_Exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "adjudicate_bench: the contest of %s lines was not made\n", size.name);
        std::exit(1);
    }
}

// One measured run (in its own process): "seconds peak-bytes lines".
int Measure(const fs::path& logs, const fs::path& output) {
    const long before = PeakKilobytes();
    const auto start = Clock::now();
    auto read = adjudication::ReadLogFolder(logs, nullptr, 2);
    auto& files = std::get<std::vector<adjudication::LogFile>>(read);
    const auto checkStart = Clock::now();
    const adjudication::ContestCheck contest = adjudication::CheckContest(std::move(files), {});
    const auto writeStart = Clock::now();
    adjudication::WriteResults(contest, output);
    const auto end = Clock::now();
    std::size_t lines = 0;
    for (const adjudication::Entrant& entrant : contest.entrants) {
        lines += entrant.log.lines.size();
    }
    std::printf("%.4f %ld %zu %.4f %.4f %.4f\n", Seconds(end - start),
                (PeakKilobytes() - before) * 1024, lines, Seconds(checkStart - start),
                Seconds(writeStart - checkStart), Seconds(end - writeStart));
    return 0;
}

struct Measured {
    double seconds = 0;
    long peakBytes = 0;
    std::size_t lines = 0;
    double read = 0, check = 0, write = 0;  // the parts of `seconds`
};

Measured RunMeasured(const char* self, const fs::path& logs, const fs::path& output) {
    const std::string command =
        std::string("'") + self + "' --measure '" + logs.string() + "' '" + output.string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    Measured m;
    if (pipe == nullptr || std::fscanf(pipe, "%lf %ld %zu %lf %lf %lf", &m.seconds, &m.peakBytes,
                                       &m.lines, &m.read, &m.check, &m.write) != 6) {
        std::fprintf(stderr, "adjudicate_bench: a measured run failed\n");
        std::exit(1);
    }
    pclose(pipe);
    return m;
}

// The check on files already read, against the plain baseline.
void AgainstBaseline(const fs::path& logs, bool smoke) {
    auto read = adjudication::ReadLogFolder(logs, nullptr, 2);
    const auto files = std::get<std::vector<adjudication::LogFile>>(std::move(read));
    auto copy = files;
    const auto start = Clock::now();
    const adjudication::ContestCheck contest = adjudication::CheckContest(std::move(copy), {});
    const double indexed = Seconds(Clock::now() - start);
    const auto plainStart = Clock::now();
    const auto plain = PlainCheck(files, {});
    const double baseline = Seconds(Clock::now() - plainStart);
    for (std::size_t e = 0; e < contest.entrants.size(); ++e) {
        for (std::size_t l = 0; l < plain[e].size(); ++l) {
            if (plain[e][l] != contest.entrants[e].log.lines[l].status) {
                std::fprintf(stderr, "adjudicate_bench: the baseline differs at %s line %u\n",
                             contest.entrants[e].log.name.c_str(),
                             contest.entrants[e].log.lines[l].lineNumber);
                std::exit(1);
            }
        }
    }
    std::printf("check of the lines read (statuses%s), indexed: %8.1f ms\n",
                smoke ? "" : " and scores", indexed * 1000);
    std::printf("plain baseline, searching from the front:      %8.1f ms  (%.0fx)\n",
                baseline * 1000, baseline / indexed);
}

int Main(const char* self, bool smoke) {
    const fs::path root = fs::temp_directory_path() /
                          ("zelk-adjudicate-bench-" + std::to_string(std::random_device{}()));
    const std::vector<Size> sizes =
        smoke ? std::vector<Size>{{"400", 20, 20, 1}}
              : std::vector<Size>{{"100,000", 200, 500, 10}, {"1,000,000", 2000, 500, 20}};
    std::vector<Measured> best;
    for (const Size& size : sizes) {
        MakeContest(size, root / size.name);
        Measured fastest;
        for (int run = 0; run < (smoke ? 1 : 5); ++run) {
            // Into a new folder each time, as an organiser's first run writes
            // (the folders go at the end: deleting thousands of files slows
            // the disk for a while after).
            const fs::path output =
                root / ("results-" + std::to_string(size.logs) + "-" + std::to_string(run));
            // Files written before (the contest, earlier results) are put on
            // disk first, so the timed writes do not wait for them.
            sync();
            const Measured m = RunMeasured(self, root / size.name, output);
            const long peak = std::max(fastest.peakBytes, m.peakBytes);
            if (run == 0 || m.seconds < fastest.seconds) {
                fastest = m;
            }
            fastest.peakBytes = peak;
        }
        best.push_back(fastest);
        std::printf(
            "%9zu QSO lines in %4d logs: read, check, score, write %7.1f ms (fastest of %d); "
            "peak memory %5.1f MB = %3.0f bytes a line\n",
            fastest.lines, size.logs, fastest.seconds * 1000, smoke ? 1 : 5,
            fastest.peakBytes / 1e6,
            static_cast<double>(fastest.peakBytes) / static_cast<double>(fastest.lines));
        std::printf("          of which: read %.1f ms, check and score %.1f ms, write %.1f ms\n",
                    fastest.read * 1000, fastest.check * 1000, fastest.write * 1000);
    }
    if (best.size() == 2) {
        std::printf("ten times the lines took %.1f times the time\n",
                    best[1].seconds / best[0].seconds);
    }
    AgainstBaseline(root / sizes.front().name, smoke);
    fs::remove_all(root);
    return 0;
}

}  // namespace
}  // namespace zelk::bench

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--measure") == 0) {
        return zelk::bench::Measure(argv[2], argv[3]);
    }
    const bool smoke = argc == 2 && std::strcmp(argv[1], "--smoke") == 0;
    if (argc > 1 && !smoke) {
        std::fprintf(stderr, "usage: adjudicate_bench [--smoke]\n");
        return 2;
    }
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    return zelk::bench::Main(self.c_str(), smoke);
}
