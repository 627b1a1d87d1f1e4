// serve_bench: `zelk serve` under load, as the contest's intake meets it in
// the last hour before the deadline: many entrants uploading at once. It
// starts the built zelk serve on a new contest folder (under TMPDIR) on an
// ephemeral loopback port, and lets CLIENTS clients, each from an address of
// its own (127.0.1.x: every address of 127/8 is this machine), upload the
// example contest's Cabrillo logs UPLOADS times each, all starting together.
// Each upload is one connection, as a browser's form post is. It prints the
// throughput, the median and 99th-percentile latency of an upload (connect
// to the whole receipt), and the server's peak resident memory; and checks
// that every upload got its receipt and the list of logs received holds
// every call once.
//   serve_bench ZELK EXAMPLES_CONTEST [--clients N] [--uploads K] [--smoke]
// --smoke: four clients, two uploads each (the test command's run).
#include <algorithm>
#include <atomic>
#include <barrier>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "serve_clients.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace zelk::bench;

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: serve_bench ZELK EXAMPLES_CONTEST [--clients N] "
                     "[--uploads K] [--smoke]\n");
        return 2;
    }
    const char* zelk = argv[1];
    int clients = 200;
    int uploads = 5;
    for (int i = 3; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--smoke") {
            clients = 4;
            uploads = 2;
        } else if (option == "--clients" && i + 1 < argc) {
            clients = std::atoi(argv[++i]);
        } else if (option == "--uploads" && i + 1 < argc) {
            uploads = std::atoi(argv[++i]);
        }
    }
    const std::vector<std::string> logs = ExampleLogs(argv[2]);
    std::random_device seed;
    const fs::path root =
        fs::temp_directory_path() / ("zelk-serve-bench-" + std::to_string(seed()));
    fs::create_directories(root);
    const Server server = StartServer(zelk, root / "contest", root / "serve.out");
    if (server.port == 0) {
        std::fprintf(stderr, "serve_bench: zelk serve did not start:\n%s",
                     Read(root / "serve.out").c_str());
        return 1;
    }

    std::vector<std::vector<double>> latencies(static_cast<std::size_t>(clients));
    std::atomic<int> refused{0};
    std::barrier start(clients + 1);
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            const std::string source = "127.0.1." + std::to_string(c % 250 + 2);
            std::vector<std::string> requests;
            for (int n = 0; n < uploads; ++n) {
                std::string log = logs[static_cast<std::size_t>(c + n) % logs.size()];
                log.insert(log.find('\n') + 1, "SOAPBOX: client " + std::to_string(c) + " upload " +
                                                   std::to_string(n) + "\n");
                requests.push_back(UploadRequest(log));
            }
            start.arrive_and_wait();
            for (const std::string& request : requests) {
                const auto begin = Clock::now();
                const std::string answer = Exchange(source, server.port, request);
                latencies[static_cast<std::size_t>(c)].push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - begin).count());
                if (answer.compare(0, 12, "HTTP/1.1 201") != 0) {
                    ++refused;
                }
            }
        });
    }
    start.arrive_and_wait();
    const auto begin = Clock::now();
    for (std::thread& thread : threads) {
        thread.join();
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();

    std::vector<double> all;
    for (const auto& client : latencies) {
        all.insert(all.end(), client.begin(), client.end());
    }
    const std::string list =
        Exchange("127.0.0.1", server.port, "GET /api/logs HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    const long peak = PeakKilobytes(server.pid);
    const double processor = ProcessorSeconds(server.pid);
    StopServer(server);
    fs::remove_all(root);

    const std::size_t total = all.size();
    std::printf(
        "%d clients x %d uploads = %zu uploads in %.2f s: %.0f uploads/s; latency median "
        "%.1f ms, 99th percentile %.1f ms, worst %.1f ms; server peak resident %.1f MB, "
        "processor %.2f s (%.2f ms an upload)\n",
        clients, uploads, total, seconds, static_cast<double>(total) / seconds,
        Percentile(all, 0.5), Percentile(all, 0.99), Percentile(all, 1.0),
        static_cast<double>(peak) / 1024.0, processor,
        processor * 1000.0 / static_cast<double>(total));
    std::fflush(stdout);
    std::set<std::size_t> used;
    for (int c = 0; c < clients; ++c) {
        for (int n = 0; n < uploads; ++n) {
            used.insert(static_cast<std::size_t>(c + n) % logs.size());
        }
    }
    const std::size_t expectedCalls = used.size();
    const bool listed =
        list.find("\"count\":" + std::to_string(expectedCalls)) != std::string::npos;
    if (refused != 0 || !listed) {
        std::fprintf(stderr, "serve_bench: %d uploads got no receipt; the received list %s\n",
                     refused.load(), listed ? "is right" : ("is wrong: " + list).c_str());
        return 1;
    }
    return 0;
}
