// The benchmarks' clients of zelk serve and what they read of its process.
#include "serve_clients.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <thread>

namespace zelk::bench {

namespace fs = std::filesystem;

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

std::vector<std::string> ExampleLogs(const fs::path& folder) {
    std::vector<std::string> logs;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".adi") {
            logs.push_back(Read(entry.path()));
        }
    }
    return logs;
}

void StopServer(const Server& server) {
    ::kill(server.pid, SIGTERM);
    ::waitpid(server.pid, nullptr, 0);
}

long ResidentKilobytes(pid_t pid) {
    const std::string status = Read("/proc/" + std::to_string(pid) + "/status");
    const auto at = status.find("VmRSS:");
    return at == std::string::npos ? -1 : std::atol(status.c_str() + at + 6);
}

}  // namespace zelk::bench
