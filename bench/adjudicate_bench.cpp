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
//   adjudicate_bench [--smoke | --largest [ZELK...]]
//
// --smoke runs everything once on a tiny contest and checks that the plain
// baseline agrees with the check (for the test command; no figure is judged).
// --largest measures the largest contests' size instead: the simulator's
// `--seed 7 --stations 9000 --logs 7442 --qsos 740 --hours 48 --faults 500`
// (8,442 files, 5.5 million QSO lines, 453 MB), three times in turn beside
// the reading baseline of the same files: `cat FILES | wc -l`, and every
// byte read once by this program on two threads. Each run of the check
// tells its time (wall and processor) and resident memory part by part. Each
// ZELK given (another build of zelk, e.g. an older one) runs `ZELK adjudicate
// LOGS -o OUT` in the same round, its wall time and peak memory beside. The
// contest is made under TMPDIR (a disk, or /dev/shm to leave the disk out).
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "adjudication/contest_check.h"
#include "adjudication/log_folder.h"
#include "adjudication/output_folder.h"
#include "plain_check.h"
#include "platform/files.h"
#include "simulator.h"

namespace zelk::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double ProcessorSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// What the process holds now.
double ResidentMegabytes() {
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1e6;
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

// The largest contests' size: `zelk-contest-sim --seed 7 --stations 9000
// --logs 7442 --qsos 740 --hours 48 --faults 500`.
sim::SimulationParameters LargestParameters() {
    sim::SimulationParameters p;
    p.seed = 7;
    p.stations = 9000;
    p.logs = 7442;
    p.contactsPerStation = 740;
    p.lengthHours = 48;
    p.faults = {500, 500, 500, 500, 500, 500, 500, 500, 500, 500, 500};
    return p;
}

// Makes the contest's files in a child process, so that this one stays small.
void MakeContest(const sim::SimulationParameters& parameters, const fs::path& folder) {
    const pid_t child = fork();
    if (child == 0) {
        const sim::SimulatedContest contest = sim::Simulate(parameters);
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
        std::fprintf(stderr, "adjudicate_bench: the contest of %s was not made\n",
                     folder.filename().c_str());
        std::exit(1);
    }
}

// One measured run (in its own process): a line "part NAME wall processor
// resident" per part, then "total seconds peak-bytes lines read check write".
int Measure(const fs::path& logs, const fs::path& output) {
    const long before = PeakKilobytes();
    const auto start = Clock::now();
    auto partStart = start;
    double processorStart = ProcessorSeconds();
    const adjudication::PartDone part = [&](std::string_view name) {
        const auto now = Clock::now();
        const double processor = ProcessorSeconds();
        std::printf("part %.*s|%.4f %.4f %.1f\n", static_cast<int>(name.size()), name.data(),
                    Seconds(now - partStart), processor - processorStart, ResidentMegabytes());
        partStart = now;
        processorStart = processor;
    };
    auto read = adjudication::ReadLogFolder(logs, nullptr, 2);
    auto& files = std::get<std::vector<adjudication::LogFile>>(read);
    part("read and parse");
    const auto checkStart = Clock::now();
    const adjudication::ContestCheck contest =
        adjudication::CheckContest(std::move(files), {}, part);
    const auto writeStart = Clock::now();
    adjudication::WriteResults(contest, output, {}, adjudication::SystemSteps(), part);
    const auto end = Clock::now();
    std::size_t lines = 0;
    for (const adjudication::Entrant& entrant : contest.entrants) {
        lines += entrant.log.lines.size();
    }
    std::printf("total %.4f %ld %zu %.4f %.4f %.4f\n", Seconds(end - start),
                (PeakKilobytes() - before) * 1024, lines, Seconds(checkStart - start),
                Seconds(writeStart - checkStart), Seconds(end - writeStart));
    return 0;
}

struct Part {
    std::string name;
    double seconds = 0;
    double processor = 0;
    double resident = 0;  // MB after it
};

struct Measured {
    double seconds = 0;
    long peakBytes = 0;
    std::size_t lines = 0;
    double read = 0, check = 0, write = 0;  // the parts of `seconds`
    std::vector<Part> parts;
};

Measured RunMeasured(const char* self, const fs::path& logs, const fs::path& output) {
    const std::string command =
        std::string("'") + self + "' --measure '" + logs.string() + "' '" + output.string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    Measured m;
    bool total = false;
    char text[512];
    while (pipe != nullptr && std::fgets(text, sizeof text, pipe) != nullptr) {
        const std::string line(text);
        if (line.starts_with("part ")) {
            const std::size_t bar = line.find('|');
            Part part{line.substr(5, bar - 5)};
            if (std::sscanf(line.c_str() + bar + 1, "%lf %lf %lf", &part.seconds, &part.processor,
                            &part.resident) == 3) {
                m.parts.push_back(std::move(part));
            }
        } else if (line.starts_with("total ")) {
            total = std::sscanf(line.c_str() + 6, "%lf %ld %zu %lf %lf %lf", &m.seconds,
                                &m.peakBytes, &m.lines, &m.read, &m.check, &m.write) == 6;
        }
    }
    if (pipe == nullptr || pclose(pipe) != 0 || !total) {
        std::fprintf(stderr, "adjudicate_bench: a measured run failed\n");
        std::exit(1);
    }
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

// The files of the folder, in order of name.
std::vector<fs::path> FilesOf(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The reading baseline, in a process of its own: every byte of every file
// read once on two threads, its lines counted. "seconds bytes lines".
int ReadEveryByte(const fs::path& folder) {
    const auto start = Clock::now();
    const std::vector<fs::path> files = FilesOf(folder);
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> bytes{0};
    std::atomic<std::size_t> lines{0};
    auto work = [&] {
        std::string buffer;
        for (std::size_t i = next++; i < files.size(); i = next++) {
            if (!ReadFileWhole(files[i], SIZE_MAX, buffer).error) {
                bytes += buffer.size();
                lines += static_cast<std::size_t>(std::count(buffer.begin(), buffer.end(), '\n'));
            }
        }
    };
    {
        std::jthread helper(work);
        work();
    }
    std::printf("%.4f %zu %zu\n", Seconds(Clock::now() - start), bytes.load(), lines.load());
    return 0;
}

// `cat FILES | wc -l` over the folder's files, by the shell: its seconds.
double CatWc(const fs::path& folder) {
    const std::string command = "cat -- '" + folder.string() + "'/* | wc -l > /dev/null";
    const auto start = Clock::now();
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "adjudicate_bench: %s failed\n", command.c_str());
        std::exit(1);
    }
    return Seconds(Clock::now() - start);
}

double ReadInProcess(const char* self, const fs::path& folder, std::size_t& bytes) {
    const std::string command = std::string("'") + self + "' --read '" + folder.string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    double seconds = 0;
    std::size_t lines = 0;
    if (pipe == nullptr || std::fscanf(pipe, "%lf %zu %zu", &seconds, &bytes, &lines) != 3 ||
        pclose(pipe) != 0) {
        std::fprintf(stderr, "adjudicate_bench: the reading baseline failed\n");
        std::exit(1);
    }
    return seconds;
}

// `zelk adjudicate LOGS -o OUTPUT` by the program `zelk`, its output let go:
// its wall seconds and peak memory in bytes.
std::pair<double, long> RunZelk(const std::string& zelk, const fs::path& logs,
                                const fs::path& output) {
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execl(zelk.c_str(), zelk.c_str(), "adjudicate", logs.c_str(), "-o", output.c_str(),
              static_cast<char*>(nullptr));
        std::_Exit(127);
    }
    if (child < 0) {
        std::fprintf(stderr, "adjudicate_bench: %s cannot be started\n", zelk.c_str());
        std::exit(1);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const double seconds = Seconds(Clock::now() - start);
    if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) {
        std::fprintf(stderr, "adjudicate_bench: %s adjudicate failed\n", zelk.c_str());
        std::exit(1);
    }
    return {seconds, usage.ru_maxrss * 1024};
}

// The largest contests' size, three times in turn beside the reading
// baseline and the programs `others`.
int Largest(const char* self, const std::vector<std::string>& others) {
    const fs::path root = fs::temp_directory_path() /
                          ("zelk-adjudicate-bench-" + std::to_string(std::random_device{}()));
    const fs::path logs = root / "logs";
    MakeContest(LargestParameters(), logs);
    std::printf("largest contest: %zu files in %s\n", FilesOf(logs).size(),
                logs.parent_path().c_str());
    constexpr int kRounds = 3;
    for (int round = 0; round < kRounds; ++round) {
        sync();
        const double cat = CatWc(logs);
        std::size_t bytes = 0;
        const double read = ReadInProcess(self, logs, bytes);
        const fs::path output = root / ("results-" + std::to_string(round));
        const Measured m = RunMeasured(self, logs, output);
        std::printf(
            "round %d: cat | wc -l %.3f s; every byte read on 2 threads %.3f s (%.0f MB); "
            "zelk adjudicate %.3f s = %.2f x cat | wc -l, peak %.1f MB, %zu QSO lines\n",
            round + 1, cat, read, static_cast<double>(bytes) / 1e6, m.seconds, m.seconds / cat,
            static_cast<double>(m.peakBytes) / 1e6, m.lines);
        for (const Part& part : m.parts) {
            std::printf("    %-24s %7.1f ms, processor %7.1f ms, resident after %6.1f MB\n",
                        part.name.c_str(), part.seconds * 1000, part.processor * 1000,
                        part.resident);
        }
        for (const std::string& zelk : others) {
            const fs::path theirs = root / ("their-results-" + std::to_string(round));
            const auto [seconds, peak] = RunZelk(zelk, logs, theirs);
            std::printf("    %s adjudicate: %.3f s = %.2f x cat | wc -l, peak %.1f MB\n",
                        zelk.c_str(), seconds, seconds / cat, static_cast<double>(peak) / 1e6);
            fs::remove_all(theirs);
        }
        std::fflush(stdout);
        fs::remove_all(output);
    }
    fs::remove_all(root);
    return 0;
}

int Main(const char* self, bool smoke) {
    const fs::path root = fs::temp_directory_path() /
                          ("zelk-adjudicate-bench-" + std::to_string(std::random_device{}()));
    const std::vector<Size> sizes =
        smoke ? std::vector<Size>{{"400", 20, 20, 1}}
              : std::vector<Size>{{"100,000", 200, 500, 10}, {"1,000,000", 2000, 500, 20}};
    std::vector<Measured> best;
    for (const Size& size : sizes) {
        MakeContest(Parameters(size), root / size.name);
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
    if (argc == 3 && std::strcmp(argv[1], "--read") == 0) {
        return zelk::bench::ReadEveryByte(argv[2]);
    }
    const bool smoke = argc == 2 && std::strcmp(argv[1], "--smoke") == 0;
    const bool largest = argc >= 2 && std::strcmp(argv[1], "--largest") == 0;
    if ((argc > 1 && !smoke && !largest) || (smoke && argc > 2)) {
        std::fprintf(stderr, "usage: adjudicate_bench [--smoke | --largest [ZELK...]]\n");
        return 2;
    }
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    return largest ? zelk::bench::Largest(self.c_str(), {argv + 2, argv + argc})
                   : zelk::bench::Main(self.c_str(), smoke);
}
