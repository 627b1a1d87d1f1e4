// A contest served in the test's own process: `zelk serve`'s App and HTTP
// server on an ephemeral loopback port, over a temporary contest folder that
// is removed afterwards; and the clients the tests talk to it with:
// cpp-httplib's client for whole requests, a raw socket for the requests no
// well-behaved client sends (a huge length, a stall, a trickle, a flood).
#pragma once

#include <httplib.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "serve/app.h"
#include "serve/http_server.h"
#include "serve/serve_settings.h"

namespace zelk::serve::testing {

std::string ReadFile(const std::filesystem::path& path);

class ServedContest {
  public:
    explicit ServedContest(ServeSettings settings = {});
    // Settings that follow the contest folder's contest.toml as zelk serve's
    // do, read with `read` (the file's path is given), under `flags`.
    using ReadRules = std::function<std::variant<adjudication::CheckRules, std::string>(
        const std::filesystem::path&)>;
    ServedContest(ServeSettings settings, ServeFlags flags, ReadRules read);
    ~ServedContest();
    ServedContest(const ServedContest&) = delete;
    ServedContest& operator=(const ServedContest&) = delete;

    App& app() { return *m_app; }
    const ContestDir& dir() const { return m_dir; }
    const std::string& token() const { return m_token; }
    int port() const { return m_port; }
    std::string host() const { return "127.0.0.1:" + std::to_string(m_port); }
    httplib::Client Client() const;

    // POST /api/logs as the page's form sends it; `accept` "application/json"
    // for the receipt as JSON.
    httplib::Result Upload(const std::string& log, const std::string& email = "",
                           const httplib::Headers& headers = {},
                           const std::string& accept = "application/json",
                           const std::string& field = "log",
                           const std::string& fileName = "mylog.log");

    // The lines the server logged so far.
    std::vector<std::string> LogLines();

    // Sends `request` as it stands, then `drip` again and again, `every` so
    // often (as fast as the server takes it when zero), and reads the
    // answer until the server closes or `wait` passes; the bytes read,
    // whether it closed, and when.
    struct RawAnswer {
        std::string bytes;
        bool closed = false;
        std::chrono::milliseconds after{0};
    };
    RawAnswer Raw(const std::string& request, std::chrono::milliseconds wait,
                  const std::string& drip = "",
                  std::chrono::milliseconds every = std::chrono::milliseconds(0)) const;

  private:
    void Start(ServeSettings settings, std::optional<SettingsSource> source);

    std::filesystem::path m_root;
    ContestDir m_dir;
    std::string m_token;
    std::unique_ptr<App> m_app;
    std::mutex m_logMutex;
    std::vector<std::string> m_log;
    std::unique_ptr<HttpServer> m_server;
    int m_port = 0;
    std::thread m_thread;
};

// The status code of a raw answer ("HTTP/1.1 413 ..."), or 0.
int StatusOf(const std::string& answer);

// An example contest's log, by its file name.
std::string Example(const std::string& name);
// `text` with the first `from` made `to`.
std::string Replaced(std::string text, const std::string& from, const std::string& to);
nlohmann::json Body(const httplib::Result& result);
httplib::Headers Bearer(const std::string& token);

// A session of the login form: its cookie, and the form value its desk's
// forms carry.
struct Session {
    std::string cookie;
    std::string formValue;
};
Session LogIn(ServedContest& served, const std::string& token = "");

}  // namespace zelk::serve::testing
