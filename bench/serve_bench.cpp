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
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <barrier>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string Read(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// One HTTP exchange on a connection of its own from `source`; the whole
// answer, or empty when the connection failed.
std::string Exchange(const std::string& source, int port, const std::string& request) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    ::inet_pton(AF_INET, source.c_str(), &local.sin_addr);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(static_cast<uint16_t>(port));
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 &&
        ::connect(fd, reinterpret_cast<sockaddr*>(&server), sizeof server) == 0 &&
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(request.size())) {
        char buffer[8192];
        for (ssize_t got; (got = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) {
            answer.append(buffer, static_cast<std::size_t>(got));
        }
    }
    ::close(fd);
    return answer;
}

std::string UploadRequest(const std::string& log) {
    const std::string boundary = "zelkbenchboundary";
    const std::string body =
        "--" + boundary +
        "\r\nContent-Disposition: form-data; name=\"log\"; filename=\"a.log\"\r\n"
        "Content-Type: text/plain\r\n\r\n" +
        log + "\r\n--" + boundary + "--\r\n";
    return "POST /api/logs HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: application/json\r\n"
           "Content-Type: multipart/form-data; boundary=" +
           boundary + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

struct Server {
    pid_t pid = -1;
    int port = 0;
};

Server StartServer(const char* zelk, const fs::path& contest, const fs::path& output) {
    Server server;
    server.pid = fork();
    if (server.pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlives the benchmark
        std::freopen(output.c_str(), "w", stdout);
        std::freopen(output.c_str(), "a", stderr);
        ::execl(zelk, "zelk", "serve", contest.c_str(), "--listen", "127.0.0.1:0",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const std::regex listening(R"(listening on http://127\.0\.0\.1:([0-9]+)/)");
    for (int wait = 0; wait < 500 && server.port == 0; ++wait) {
        std::smatch match;
        const std::string text = Read(output);
        if (std::regex_search(text, match, listening)) {
            server.port = std::stoi(match[1]);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return server;
}

long PeakKilobytes(pid_t pid) {
    const std::string status = Read("/proc/" + std::to_string(pid) + "/status");
    const auto at = status.find("VmHWM:");
    return at == std::string::npos ? -1 : std::atol(status.c_str() + at + 6);
}

// The processor time the process has used, user and system, in seconds.
double ProcessorSeconds(pid_t pid) {
    const std::string stat = Read("/proc/" + std::to_string(pid) + "/stat");
    const auto afterName = stat.rfind(')');
    if (afterName == std::string::npos) {
        return -1.0;
    }
    // Fields 14 and 15 (utime, stime) are the 12th and 13th after the name.
    std::istringstream fields(stat.substr(afterName + 2));
    std::string field;
    double ticks = 0.0;
    for (int i = 1; i <= 13 && fields >> field; ++i) {
        if (i >= 12) {
            ticks += std::stod(field);
        }
    }
    return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

double Percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    const auto index =
        static_cast<std::size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

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
    std::vector<std::string> logs;
    for (const auto& entry : fs::directory_iterator(argv[2])) {
        if (entry.path().extension() != ".adi") {
            logs.push_back(Read(entry.path()));
        }
    }
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
    ::kill(server.pid, SIGTERM);
    ::waitpid(server.pid, nullptr, 0);
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
