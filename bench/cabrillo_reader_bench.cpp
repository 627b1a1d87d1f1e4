// cabrillo_reader_bench: zelk's Cabrillo reader on synthetic logs, in QSO
// lines per second. An organiser's contest is 2,000 logs holding 1,000,000
// QSO lines; the log checker reads them all before it checks one.
//
//   cabrillo_reader_bench [google benchmark flags]
//
// ReadCabrillo/<layout>/<lines> reads one log of that many lines, in our
// writer's layout (fixed columns, CR LF) or as other loggers write it
// (reports, typed exchanges, LF); ReadContest reads the 2,000 logs. The test
// command runs only the small ones, once (--benchmark_filter).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cabrillo/cabrillo_log.h"
#include "logfile/cabrillo_reader.h"

namespace zelk::bench {
namespace {

constexpr std::string_view kHeader =
    "START-OF-LOG: 3.0\r\nCONTEST: ZELK\r\nCALLSIGN: R3ZLK\r\nCATEGORY-OPERATOR: SINGLE-OP\r\n"
    "CLAIMED-SCORE: 15475\r\nOPERATORS: R3ZLK\r\nCREATED-BY: Vexa 2.20\r\nSOAPBOX: \r\n";

std::string Call(std::size_t n) {
    return "R" + std::to_string(n % 10) + "A" + std::string(1, static_cast<char>('A' + n % 26)) +
           std::string(1, static_cast<char>('A' + n / 26 % 26));
}

std::string Coordinate(std::size_t n) {
    return std::to_string(41 + n % 40) + "N" + std::to_string(20 + n % 150) + "O";
}

// A log of `lines` QSO lines made by the plug-in's own writer.
std::string WriterLog(std::size_t lines, std::size_t seed) {
    CCabrilloLog writer;
    writer.m_strCallsign = Call(seed);
    const int32_t bands[] = {3514, 7012, 14025, 21030};
    for (std::size_t i = 0; i < lines; ++i) {
        char serial[8];
        std::snprintf(serial, sizeof serial, "%03zu", i % 1000 + 1);
        writer.AddQsoLine(Call(seed * 7 + i), bands[i % 4], "CW",
                          {45424.25 + static_cast<double>(i) / 1440.0, DateTimeStatus::Valid},
                          std::string(serial) + " " + Coordinate(seed),
                          std::string(serial) + " " + Coordinate(i));
    }
    std::string file(kHeader);
    for (const std::string& line : writer.m_arrQsoLines) {
        file += line;
    }
    return file + "END-OF-LOG:\r\n";
}

// The same contacts as another logger writes them.
std::string OtherLoggerLog(std::size_t lines, std::size_t seed) {
    std::string file = "start-of-log: 3.0\ncallsign: " + Call(seed) + "\n";
    for (std::size_t i = 0; i < lines; ++i) {
        char time[8];
        std::snprintf(time, sizeof time, "%02zu%02zu", i / 60 % 24, i % 60);
        file += "QSO: 7012 CW 2024-05-12 " + std::string(time) + " " + Call(seed) + " 599 " +
                std::to_string(i % 1000 + 1) + " " + Coordinate(seed) + " " + Call(seed * 7 + i) +
                " 599 " + std::to_string(i % 1000 + 10) + Coordinate(i) + " 0\n";
    }
    return file + "end-of-log:\n";
}

void Read(benchmark::State& state, const std::vector<std::string>& logs, std::size_t lines) {
    std::size_t bytes = 0;
    for (const std::string& log : logs) {
        bytes += log.size();
    }
    for (auto _ : state) {
        for (const std::string& log : logs) {
            auto result = logfile::ReadCabrillo(log);
            const auto* read = std::get_if<logfile::CabrilloLog>(&result);
            if (read == nullptr || !read->unreadable.empty()) {
                state.SkipWithError("a synthetic log was not read whole");
                return;
            }
            benchmark::DoNotOptimize(read->qsos.data());
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * lines));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void RegisterAll() {
    for (std::size_t lines : {500, 100000}) {
        benchmark::RegisterBenchmark(
            ("ReadCabrillo/writer/" + std::to_string(lines)).c_str(),
            [lines](benchmark::State& s) { Read(s, {WriterLog(lines, 1)}, lines); });
        benchmark::RegisterBenchmark(
            ("ReadCabrillo/other_logger/" + std::to_string(lines)).c_str(),
            [lines](benchmark::State& s) { Read(s, {OtherLoggerLog(lines, 1)}, lines); });
    }
    benchmark::RegisterBenchmark("ReadContest/2000_logs/1000000_lines", [](benchmark::State& s) {
        std::vector<std::string> logs;
        for (std::size_t i = 0; i < 2000; ++i) {
            logs.push_back(i % 2 == 0 ? WriterLog(500, i) : OtherLoggerLog(500, i));
        }
        Read(s, logs, 1000000);
    })->Unit(benchmark::kMillisecond);
}

}  // namespace
}  // namespace zelk::bench

int main(int argc, char** argv) {
    zelk::bench::RegisterAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
