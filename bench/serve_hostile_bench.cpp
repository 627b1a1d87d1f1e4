// serve_hostile_bench: how many hostile clients `zelk serve` holds while an
// entrant's upload is still answered within a second. It starts the built
// zelk serve with its default settings on a new contest folder (under
// TMPDIR) and opens CLIENTS connections of each kind, each from an address
// of its own (127.1.x.y):
//   idle            connects and sends nothing;
//   trickling head  sends a request line, then one byte of a header every 2 s;
//   trickling body  sends an upload's head (Content-Length 1 MB), then one
//                   byte of the body every 2 s;
//   header flood    sends header lines as fast as the server takes them.
// A connection the server cuts off is opened again at once, so the pressure
// holds for the whole run. After RAMP seconds, an entrant uploads an example
// log every half second for SECONDS seconds, each upload on a connection of
// its own from an address of its own. It prints the connections each kind
// held (on average and at least), how often the server cut each kind off,
// the uploads' latency (connect to the whole receipt: median, 99th
// percentile, worst), and the server's resident memory before the clients
// came, at most while they were there, and at its peak; it fails when an
// upload got no receipt.
//   serve_hostile_bench ZELK EXAMPLES_CONTEST [--clients N] [--seconds S]
//                       [--ramp S] [--kinds idle,head,body,flood] [--smoke]
// --smoke: five clients of each kind, one second of ramp, three of uploads.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "serve_clients.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace zelk::bench;

enum Kind { kIdle, kHeadTrickle, kBodyTrickle, kFlood, kKinds };
constexpr std::array<const char*, kKinds> kNames = {"idle", "trickling head", "trickling body",
                                                    "header flood"};
constexpr std::array<const char*, kKinds> kKeys = {"idle", "head", "body", "flood"};
constexpr auto kTrickleEvery = std::chrono::seconds(2);

std::string Address(int network, int index) {
    return "127." + std::to_string(network) + "." + std::to_string(index / 250) + "." +
           std::to_string(index % 250 + 2);
}

// A non-blocking connection from `source`, or -1.
int Connect(const std::string& source, int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    ::inet_pton(AF_INET, source.c_str(), &local.sin_addr);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(static_cast<uint16_t>(port));
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        ::connect(fd, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0) {
        if (fd >= 0) {
            ::close(fd);
        }
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    return fd;
}

bool SendSome(int fd, const std::string& bytes) {
    return ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) >= 0 || errno == EAGAIN;
}

// The hostile clients, all on one thread around poll().
class Hostiles {
  public:
    Hostiles(int perKind, const std::string& kinds, int port) : m_port(port) {
        for (int kind = 0; kind < kKinds; ++kind) {
            if (kinds.find(kKeys[kind]) == std::string::npos) {
                continue;
            }
            for (int i = 0; i < perKind; ++i) {
                m_clients.push_back(
                    {static_cast<Kind>(kind), Address(1, kind * perKind + i), -1, {}});
            }
        }
        std::string lines;
        while (lines.size() < 4096) {
            lines += "X-Flood: " + std::string(100, 'a') + "\r\n";
        }
        m_flood = lines;
    }

    void Run(const std::atomic<bool>& stop) {
        std::vector<pollfd> ready;
        std::array<char, 16384> scratch{};
        while (!stop) {
            const auto now = Clock::now();
            ready.clear();
            for (Client& client : m_clients) {
                if (client.fd < 0) {
                    Open(client, now);
                }
                if (client.fd >= 0 && client.kind != kIdle && client.kind != kFlood &&
                    now >= client.next) {
                    client.next = now + kTrickleEvery;
                    if (!SendSome(client.fd, client.kind == kHeadTrickle ? "a" : "x")) {
                        CutOff(client);
                    }
                }
                const short events = client.kind == kFlood ? POLLIN | POLLOUT : POLLIN;
                ready.push_back({client.fd, events, 0});
            }
            if (::poll(ready.data(), ready.size(), 50) < 0) {
                continue;
            }
            for (std::size_t i = 0; i < m_clients.size(); ++i) {
                Client& client = m_clients[i];
                if (client.fd < 0 || ready[i].fd != client.fd) {
                    continue;
                }
                if ((ready[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
                    const ssize_t got = ::recv(client.fd, scratch.data(), scratch.size(), 0);
                    if (got == 0 || (got < 0 && errno != EAGAIN)) {
                        CutOff(client);
                        continue;
                    }
                }
                if ((ready[i].revents & POLLOUT) != 0 && !SendSome(client.fd, m_flood)) {
                    CutOff(client);
                }
            }
        }
        for (Client& client : m_clients) {
            if (client.fd >= 0) {
                ::close(client.fd);
            }
        }
    }

    // The connections each kind holds now.
    std::array<int, kKinds> Held() const {
        std::array<int, kKinds> held{};
        for (const Client& client : m_clients) {
            held[client.kind] += client.open.load() ? 1 : 0;
        }
        return held;
    }
    std::array<long, kKinds> CutOffs() const {
        std::array<long, kKinds> cut{};
        for (int kind = 0; kind < kKinds; ++kind) {
            cut[kind] = m_cut[kind].load();
        }
        return cut;
    }

  private:
    struct Client {
        Kind kind;
        std::string source;
        int fd;
        Clock::time_point next;
        std::atomic<bool> open{false};

        Client(Kind k, std::string s, int f, Clock::time_point n)
            : kind(k), source(std::move(s)), fd(f), next(n) {}
        Client(Client&& other) noexcept
            : kind(other.kind), source(std::move(other.source)), fd(other.fd), next(other.next) {}
    };

    void Open(Client& client, Clock::time_point now) {
        client.fd = Connect(client.source, m_port);
        if (client.fd < 0) {
            return;
        }
        client.open = true;
        client.next = now + kTrickleEvery;
        switch (client.kind) {
            case kIdle:
                break;
            case kHeadTrickle:
                SendSome(client.fd, "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Trickle: ");
                break;
            case kBodyTrickle:
                SendSome(client.fd,
                         "POST /api/logs HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: "
                         "multipart/form-data; boundary=B\r\nContent-Length: 1000000\r\n\r\n"
                         "--B\r\nContent-Disposition: form-data; name=\"log\"\r\n\r\n");
                break;
            case kFlood:
                SendSome(client.fd, "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n");
                break;
            case kKinds:
                break;
        }
    }

    void CutOff(Client& client) {
        ::close(client.fd);
        client.fd = -1;
        client.open = false;
        ++m_cut[client.kind];
    }

    int m_port;
    std::string m_flood;
    std::vector<Client> m_clients;
    std::array<std::atomic<long>, kKinds> m_cut{};
};

void RaiseFileLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: serve_hostile_bench ZELK EXAMPLES_CONTEST [--clients N] "
                     "[--seconds S] [--ramp S] [--kinds idle,head,body,flood] [--smoke]\n");
        return 2;
    }
    int perKind = 100;
    int seconds = 20;
    int ramp = 4;
    std::string kinds = "idle,head,body,flood";
    for (int i = 3; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--smoke") {
            perKind = 5;
            seconds = 3;
            ramp = 1;
        } else if (option == "--clients" && i + 1 < argc) {
            perKind = std::atoi(argv[++i]);
        } else if (option == "--seconds" && i + 1 < argc) {
            seconds = std::atoi(argv[++i]);
        } else if (option == "--ramp" && i + 1 < argc) {
            ramp = std::atoi(argv[++i]);
        } else if (option == "--kinds" && i + 1 < argc) {
            kinds = argv[++i];
        }
    }
    RaiseFileLimit();
    const std::vector<std::string> logs = ExampleLogs(argv[2]);
    std::random_device seed;
    const fs::path root =
        fs::temp_directory_path() / ("zelk-serve-hostile-bench-" + std::to_string(seed()));
    fs::create_directories(root);
    const Server server = StartServer(argv[1], root / "contest", root / "serve.out");
    if (server.port == 0) {
        std::fprintf(stderr, "serve_hostile_bench: zelk serve did not start:\n%s",
                     Read(root / "serve.out").c_str());
        return 1;
    }
    const long before = ResidentKilobytes(server.pid);

    Hostiles hostiles(perKind, kinds, server.port);
    std::atomic<bool> stop{false};
    std::thread driver([&] { hostiles.Run(stop); });
    std::this_thread::sleep_for(std::chrono::seconds(ramp));

    std::vector<double> latencies;
    std::array<long, kKinds> heldSum{};
    std::array<int, kKinds> heldLeast{};
    heldLeast.fill(perKind);
    long during = 0;
    int refused = 0;
    const int uploads = seconds * 2;
    for (int n = 0; n < uploads; ++n) {
        const auto start = Clock::now();
        std::string log = logs[static_cast<std::size_t>(n) % logs.size()];
        log.insert(log.find('\n') + 1, "SOAPBOX: upload " + std::to_string(n) + "\n");
        const std::string answer = Exchange(Address(2, n), server.port, UploadRequest(log));
        latencies.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (answer.compare(0, 12, "HTTP/1.1 201") != 0) {
            ++refused;
            std::fprintf(stderr, "upload %d: %.60s\n", n, answer.c_str());
        }
        const auto held = hostiles.Held();
        for (int kind = 0; kind < kKinds; ++kind) {
            heldSum[kind] += held[kind];
            heldLeast[kind] = std::min(heldLeast[kind], held[kind]);
        }
        during = std::max(during, ResidentKilobytes(server.pid));
        std::this_thread::sleep_until(start + std::chrono::milliseconds(500));
    }
    const auto cutOffs = hostiles.CutOffs();
    const long peak = PeakKilobytes(server.pid);
    stop = true;
    driver.join();
    StopServer(server);
    fs::remove_all(root);

    std::printf("%d clients of each kind of %s, %d s:\n", perKind, kinds.c_str(), seconds);
    for (int kind = 0; kind < kKinds; ++kind) {
        std::printf("  %-15s held %.0f on average, %d at least; cut off %ld times\n", kNames[kind],
                    static_cast<double>(heldSum[kind]) / uploads, heldLeast[kind], cutOffs[kind]);
    }
    std::printf(
        "  %d uploads meanwhile, %d without a receipt: latency median %.1f ms, 99th percentile "
        "%.1f ms, worst %.1f ms\n"
        "  server resident: %.1f MB before, at most %.1f MB with the clients, peak %.1f MB\n",
        uploads, refused, Percentile(latencies, 0.5), Percentile(latencies, 0.99),
        Percentile(latencies, 1.0), static_cast<double>(before) / 1024.0,
        static_cast<double>(during) / 1024.0, static_cast<double>(peak) / 1024.0);
    return refused == 0 ? 0 : 1;
}
