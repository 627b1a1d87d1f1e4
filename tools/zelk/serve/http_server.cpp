// Listening, accepting within the connection limit, the workers, the stop.
#include "serve/http_server.h"

#include <sys/resource.h>

#include <algorithm>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <iostream>
#include <stdexcept>

#include "serve/client_connection.h"
#include "serve/page_frame.h"
#include "serve/routes.h"
#include "serve/upload_form.h"

namespace zelk::serve {

namespace asio = boost::asio;
using asio::ip::tcp;
using boost::system::error_code;

namespace {

// Connections waiting to be accepted: the kernel caps it at its somaxconn.
constexpr int kListenBacklog = 1024;
// Files the process keeps open beside its connections: the database, the
// logs being stored, the check's files, the standard streams.
constexpr std::size_t kOtherFiles = 64;
// Connections taken in one go when several wait.
constexpr int kAcceptsAtOnce = 64;
// After a failed accept (no file left), the pause before the next.
constexpr std::chrono::milliseconds kAcceptPause{100};
// The least the bodies held at once may take together; uploads beyond the
// budget get 503 until others are done.
constexpr std::size_t kLeastBodyBudget = std::size_t{256} << 20;
// A connection for which there is no room gets this, and is closed.
constexpr std::string_view kNoRoom =
    "HTTP/1.1 503 Service Unavailable\r\nRetry-After: 5\r\nContent-Length: 0\r\n"
    "Connection: close\r\n\r\n";

// Raises the soft limit on open files so that `wanted` connections fit;
// how many fit under the limit the process may have.
std::size_t RoomForConnections(std::size_t wanted) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        return wanted;
    }
    const rlim_t needed = wanted + kOtherFiles;
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < needed) {
        limit.rlim_cur =
            limit.rlim_max == RLIM_INFINITY ? needed : std::min(needed, limit.rlim_max);
        ::setrlimit(RLIMIT_NOFILE, &limit);
        ::getrlimit(RLIMIT_NOFILE, &limit);
    }
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= needed) {
        return wanted;
    }
    return limit.rlim_cur > 2 * kOtherFiles ? limit.rlim_cur - kOtherFiles : limit.rlim_cur / 2;
}

}  // namespace

struct HttpServer::Impl {
    Impl(const ServeSettings& settings)
        : core(static_cast<std::size_t>(std::max(settings.threads, 1)),
               std::max(kLeastBodyBudget, ServerCore::kLargestBodiesAtOnce *
                                              UploadBodyLimit(settings.maxUploadBytes))),
          acceptor(core.io),
          pause(core.io),
          connectionLimit(
              RoomForConnections(static_cast<std::size_t>(std::max(settings.maxConnections, 1)))) {}

    void Accept();
    void Admit(tcp::socket socket);
    void BeginStop();

    ServerCore core;
    tcp::acceptor acceptor;
    asio::steady_timer pause;
    const std::size_t connectionLimit;
};

void HttpServer::Impl::Accept() {
    acceptor.async_accept([this](const error_code& error, tcp::socket socket) {
        if (core.stopping || !acceptor.is_open()) {
            return;
        }
        if (error) {
            // Out of files for a moment: the connections waiting stay queued.
            pause.expires_after(kAcceptPause);
            pause.async_wait([this](const error_code& paused) {
                if (!paused) {
                    Accept();
                }
            });
            return;
        }
        Admit(std::move(socket));
        // The others waiting are taken too before anything else gets its
        // turn: a burst of entrants is in after one round.
        for (int more = 0; more < kAcceptsAtOnce && !core.stopping; ++more) {
            error_code none;
            tcp::socket next(core.io);
            acceptor.accept(next, none);
            if (none) {
                break;
            }
            Admit(std::move(next));
        }
        Accept();
    });
}

void HttpServer::Impl::Admit(tcp::socket socket) {
    if (core.connections.size() >= connectionLimit) {
        // Room is made by dropping the connection that has waited longest
        // for its request's head: a client that sends its request at once
        // always gets in, one that holds a connection open without it
        // never keeps another out.
        const auto waiting = std::find_if(core.connections.begin(), core.connections.end(),
                                          [](const std::weak_ptr<ClientConnection>& held) {
                                              const auto connection = held.lock();
                                              return connection && connection->AwaitingHead();
                                          });
        if (waiting == core.connections.end()) {
            error_code ignored;
            socket.non_blocking(true, ignored);
            socket.write_some(asio::buffer(kNoRoom.data(), kNoRoom.size()), ignored);
            return;
        }
        waiting->lock()->Close();
    }
    auto connection = std::make_shared<ClientConnection>(core, std::move(socket));
    connection->Start(core.connections.insert(core.connections.end(), connection));
}

void HttpServer::Impl::BeginStop() {
    core.stopping = true;
    error_code ignored;
    acceptor.close(ignored);
    pause.cancel();
    // Closing removes a connection from the list: walk a copy.
    const std::list<std::weak_ptr<ClientConnection>> open = core.connections;
    for (const auto& held : open) {
        if (const auto connection = held.lock()) {
            connection->Stop();
        }
    }
}

HttpServer::HttpServer(App& app, std::function<void(const std::string&)> log)
    : m_impl(std::make_unique<Impl>(*app.settings.Current())) {
    // What stays as started; the upload's limits its admission takes from
    // the settings of the moment (public_routes.cpp).
    const std::shared_ptr<const ServeSettings> started = app.settings.Current();
    ServerCore& core = m_impl->core;
    core.readTimeout = std::chrono::seconds(started->readTimeoutSeconds);
    core.writeTimeout = std::chrono::seconds(started->uploadSeconds);
    core.behindProxy = started->behindProxy;
    core.log = log ? std::move(log) : [](const std::string& line) {
        std::cout << line << '\n' << std::flush;
    };
    core.defaultHeaders = {
        {"Content-Security-Policy", kContentSecurityPolicy},
        {"X-Content-Type-Options", "nosniff"},
        {"X-Frame-Options", "DENY"},
        {"Referrer-Policy", "same-origin"},
        {"Cache-Control", "no-store"},
    };
    AddPublicRoutes(core.router, app);
    AddOrganiserRoutes(core.router, app);
}

HttpServer::~HttpServer() = default;

int HttpServer::Bind(const ListenAddress& address) {
    const std::string shown = address.host + ":" + std::to_string(address.port);
    tcp::acceptor& acceptor = m_impl->acceptor;
    error_code error;
    tcp::resolver resolver(m_impl->core.io);
    const auto endpoints =
        resolver.resolve(address.host, std::to_string(address.port),
                         tcp::resolver::passive | tcp::resolver::numeric_service, error);
    if (error || endpoints.empty()) {
        throw std::runtime_error("cannot listen on " + shown + " (no such address)");
    }
    const tcp::endpoint endpoint = *endpoints.begin();
    acceptor.open(endpoint.protocol(), error);
    if (!error) {
        acceptor.set_option(tcp::acceptor::reuse_address(true), error);
    }
    if (!error) {
        acceptor.bind(endpoint, error);
    }
    if (error) {
        throw std::runtime_error("cannot listen on " + shown +
                                 " (is another server using the port?)");
    }
    acceptor.listen(kListenBacklog, error);
    if (!error) {
        acceptor.non_blocking(true, error);  // accept() answers at once when none waits
    }
    if (error) {
        throw std::runtime_error("cannot listen on " + shown + ": " + error.message());
    }
    return acceptor.local_endpoint().port();
}

bool HttpServer::Run() {
    if (!m_impl->acceptor.is_open()) {
        return false;
    }
    m_impl->Accept();
    m_impl->core.io.run();
    m_impl->core.workers.join();
    return true;
}

void HttpServer::Stop() {
    asio::post(m_impl->core.io, [impl = m_impl.get()] { impl->BeginStop(); });
}

std::size_t HttpServer::ConnectionLimit() const {
    return m_impl->connectionLimit;
}

}  // namespace zelk::serve
