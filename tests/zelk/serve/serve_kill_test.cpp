// zelk serve killed with SIGKILL at random moments while several clients
// upload, and started again each time: afterwards every receipt given is in
// the organiser's list with its file, every stored file's SHA-256 is the one
// received, and the database passes PRAGMA integrity_check. Loopback only,
// bounded in kills and time.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <random>
#include <thread>

#include "serve/security.h"
#include "served_contest.h"

namespace zelk::serve::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using namespace std::chrono_literals;

constexpr int kKills = 12;
constexpr int kClients = 4;

// `zelk serve` as a child process, its output in a file of its own per start.
class ServerProcess {
  public:
    explicit ServerProcess(fs::path folder) : m_folder(std::move(folder)) {}
    ~ServerProcess() { Kill(); }

    // Starts it on `port` (0: any) and waits until it listens; the port.
    int Start(int port) {
        const fs::path output =
            m_folder.parent_path() / ("serve-" + std::to_string(++m_starts) + ".out");
        const std::string listen = "127.0.0.1:" + std::to_string(port);
        m_pid = fork();
        if (m_pid == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlives a test that dies
            const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(fd, 1);
            ::dup2(fd, 2);
            ::execl(ZELK_PROGRAM, "zelk", "serve", m_folder.c_str(), "--listen", listen.c_str(),
                    "--uploads-per-hour", "1000000", "--uploads-at-once", "1000",
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        constexpr std::string_view kListening = "listening on http://127.0.0.1:";
        for (int wait = 0; wait < 500; ++wait) {
            const std::string text = ReadFile(output);
            if (const auto at = text.find(kListening); at != std::string::npos) {
                return std::atoi(text.c_str() + at + kListening.size());
            }
            std::this_thread::sleep_for(10ms);
        }
        ADD_FAILURE() << "zelk serve did not start: " << ReadFile(output);
        return 0;
    }

    void Kill() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }

  private:
    fs::path m_folder;
    pid_t m_pid = -1;
    int m_starts = 0;
};

// A folder removed when the test ends, however it ends.
struct ScratchFolder {
    fs::path path;
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

struct Given {
    std::string sha256;
    std::string call;
};

TEST(ServeKill, EveryReceiptGivenSurvivesKillsAtRandomMoments) {
    std::random_device seed;
    const ScratchFolder scratch{fs::temp_directory_path() /
                                ("zelk-serve-kill-" + std::to_string(seed()))};
    const fs::path& root = scratch.path;
    const fs::path contest = root / "contest";
    fs::create_directories(root);
    std::vector<std::string> logs;
    for (const auto& entry : fs::directory_iterator(fs::path(ZELK_EXAMPLES) / "contest")) {
        if (entry.path().extension() != ".adi") {
            logs.push_back(ReadFile(entry.path()));
        }
    }

    ServerProcess server(contest);
    const int port = server.Start(0);
    ASSERT_NE(port, 0);

    std::atomic<bool> stop{false};
    std::atomic<int> attempts{0};
    std::mutex mutex;
    std::map<int64_t, Given> receipts;
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
        clients.emplace_back([&, c] {
            httplib::Client client("127.0.0.1", port);
            client.set_connection_timeout(1, 0);
            client.set_read_timeout(5, 0);
            for (int n = 0; !stop; ++n) {
                // Each upload's bytes differ, so each has a file of its own.
                std::string log = logs[static_cast<std::size_t>(n + c) % logs.size()];
                const std::string soapbox =
                    "SOAPBOX: client " + std::to_string(c) + " upload " + std::to_string(n) + "\n";
                log.insert(log.find('\n') + 1, soapbox);
                ++attempts;
                auto answer = client.Post("/api/logs", {{"Accept", "application/json"}},
                                          {{"log", log, "a.log", ""}});
                if (!answer || answer->status != 201) {
                    std::this_thread::sleep_for(20ms);  // the server is down: try again
                    continue;
                }
                const json receipt = json::parse(answer->body, nullptr, false);
                if (receipt.is_discarded()) {
                    continue;  // cut off mid-answer: not a receipt
                }
                EXPECT_EQ(receipt["sha256"], Sha256Hex(log));
                std::lock_guard lock(mutex);
                receipts[receipt["id"]] = {receipt["sha256"], receipt["call"]};
            }
        });
    }
    std::mt19937 random(seed());
    const auto started = std::chrono::steady_clock::now();
    for (int kill = 0; kill < kKills; ++kill) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50 + random() % 400));
        server.Kill();
        ASSERT_EQ(server.Start(port), port);
    }
    std::this_thread::sleep_for(300ms);
    stop = true;
    for (std::thread& client : clients) {
        client.join();
    }
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started);

    // Every receipt given is in the list, with its file.
    httplib::Client client("127.0.0.1", port);
    const std::string token = ReadFile(contest / "organiser-token").substr(0, 64);
    auto listed = client.Get("/organiser/submissions.json", {{"Authorization", "Bearer " + token}});
    ASSERT_TRUE(listed);
    const json all = json::parse(listed->body);
    std::map<int64_t, json> rows;
    for (const json& row : all["submissions"]) {
        rows[row["id"]] = row;
    }
    for (const auto& [id, given] : receipts) {
        ASSERT_TRUE(rows.count(id)) << "receipt " << id << " is not in the list";
        EXPECT_EQ(rows[id]["sha256"], given.sha256);
        EXPECT_EQ(rows[id]["call"], given.call);
    }
    // Every row's file holds what was received; no half-written file is left.
    for (const auto& [id, row] : rows) {
        const fs::path file = contest / "logs" / row["stored_name"].get<std::string>();
        ASSERT_TRUE(fs::exists(file)) << file;
        EXPECT_EQ(Sha256Hex(ReadFile(file)), row["sha256"]) << file;
    }
    for (const auto& entry : fs::directory_iterator(contest / "logs")) {
        EXPECT_TRUE(entry.path().filename().string().ends_with(".log")) << entry.path();
    }
    server.Kill();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((contest / "submissions.sqlite").c_str(), &db), SQLITE_OK);
    sqlite3_stmt* check = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
    sqlite3_finalize(check);
    sqlite3_close(db);

    EXPECT_GT(receipts.size(), 0u);
    std::cout << kKills << " kills in " << seconds.count() << " s; " << attempts
              << " uploads tried, " << receipts.size() << " receipts given, " << rows.size()
              << " rows stored (the difference: committed, but killed before the receipt reached the client); every receipt "
                 "found, every file's SHA-256 right, integrity_check ok\n";
}

}  // namespace
}  // namespace zelk::serve::testing
