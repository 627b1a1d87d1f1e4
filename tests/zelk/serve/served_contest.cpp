// The in-process server and its clients.
#include "served_contest.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "serve/contest_dir.h"

namespace zelk::serve::testing {

namespace fs = std::filesystem;

namespace {

fs::path NewRoot() {
    std::random_device random;
    return fs::temp_directory_path() / ("zelk-serve-test-" + std::to_string(random()));
}

}  // namespace

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

ServedContest::ServedContest(ServeSettings settings)
    : m_root(NewRoot()), m_dir(m_root / "contest") {
    Start(std::move(settings), std::nullopt);
}

ServedContest::ServedContest(ServeSettings settings, ServeFlags flags, ReadRules read)
    : m_root(NewRoot()), m_dir(m_root / "contest") {
    const fs::path file = m_dir.root / "contest.toml";
    Start(settings, SettingsSource{settings, flags, file, [read, file] { return read(file); }});
}

void ServedContest::Start(ServeSettings settings, std::optional<SettingsSource> source) {
    m_token = PrepareContestDir(m_dir).token;
    m_app = std::make_unique<App>(std::move(settings), m_dir, m_token, std::move(source));
    m_server = std::make_unique<HttpServer>(*m_app, [this](const std::string& line) {
        const std::lock_guard lock(m_logMutex);
        m_log.push_back(line);
    });
    m_port = m_server->Bind({"127.0.0.1", 0});
    m_thread = std::thread([this] { m_server->Run(); });
    // Ready once a request is answered.
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (Client().Get("/api/logs")) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    throw std::runtime_error("the served contest did not answer");
}

ServedContest::~ServedContest() {
    m_server->Stop();
    m_thread.join();
    m_server.reset();
    m_app.reset();
    std::error_code ignored;
    fs::remove_all(m_root, ignored);
}

httplib::Client ServedContest::Client() const {
    httplib::Client client("127.0.0.1", m_port);
    client.set_read_timeout(30, 0);
    return client;
}

httplib::Result ServedContest::Upload(const std::string& log, const std::string& email,
                                      const httplib::Headers& headers, const std::string& accept,
                                      const std::string& field, const std::string& fileName) {
    httplib::Headers all = headers;
    all.emplace("Accept", accept);
    const httplib::MultipartFormDataItems items = {
        {field, log, fileName, "application/octet-stream"},
        {"email", email, "", ""},
    };
    return Client().Post("/api/logs", all, items);
}

std::vector<std::string> ServedContest::LogLines() {
    const std::lock_guard lock(m_logMutex);
    return m_log;
}

ServedContest::RawAnswer ServedContest::Raw(const std::string& request,
                                            std::chrono::milliseconds wait, const std::string& drip,
                                            std::chrono::milliseconds every) const {
    using Clock = std::chrono::steady_clock;
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(m_port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    RawAnswer answer;
    const auto start = Clock::now();
    auto nextDrip = start + every;
    bool sending = !drip.empty();
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) >= 0) {
        while (true) {
            const auto now = Clock::now();
            if (sending && now >= nextDrip) {
                sending = ::send(fd, drip.data(), drip.size(), MSG_NOSIGNAL | MSG_DONTWAIT) >= 0 ||
                          errno == EAGAIN;
                nextDrip = now + every;
            }
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(start + wait - now);
            if (sending) {
                left = std::min(
                    left, std::chrono::duration_cast<std::chrono::milliseconds>(nextDrip - now));
            }
            pollfd ready{fd, POLLIN, 0};
            if (now >= start + wait ||
                ::poll(&ready, 1, static_cast<int>(std::max<long>(left.count(), 0))) < 0) {
                break;
            }
            if ((ready.revents & (POLLIN | POLLHUP | POLLERR)) == 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0) {
                answer.closed = true;
                break;
            }
            answer.bytes.append(buffer, static_cast<std::size_t>(got));
        }
    }
    answer.after = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    ::close(fd);
    return answer;
}

int StatusOf(const std::string& answer) {
    if (answer.size() < 12 || answer.compare(0, 5, "HTTP/") != 0) {
        return 0;
    }
    return std::atoi(answer.c_str() + 9);
}

std::string Example(const std::string& name) {
    return ReadFile(fs::path(ZELK_EXAMPLES) / "contest" / name);
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    if (at == std::string::npos) {
        throw std::runtime_error("the text holds no \"" + from + "\"");
    }
    return text.replace(at, from.size(), to);
}

nlohmann::json Body(const httplib::Result& result) {
    return nlohmann::json::parse(result->body);
}

httplib::Headers Bearer(const std::string& token) {
    return {{"Authorization", "Bearer " + token}};
}

Session LogIn(ServedContest& served, const std::string& token) {
    auto answer = served.Client().Post("/organiser/login",
                                       "token=" + (token.empty() ? served.token() : token),
                                       "application/x-www-form-urlencoded");
    if (!answer || answer->status != 303) {
        throw std::runtime_error("the login was not taken");
    }
    std::string cookie = answer->get_header_value("Set-Cookie");
    cookie = cookie.substr(0, cookie.find(';'));
    const std::string desk = served.Client().Get("/organiser", {{"Cookie", cookie}})->body;
    const std::string field = "name=\"form\" value=\"";
    const auto at = desk.find(field);
    if (at == std::string::npos) {
        throw std::runtime_error("the desk has no form");
    }
    return {cookie, desk.substr(at + field.size(), 64)};
}

}  // namespace zelk::serve::testing
