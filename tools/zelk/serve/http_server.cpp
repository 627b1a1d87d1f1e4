// Setting up cpp-httplib's server.
#include "serve/http_server.h"

#include <sys/socket.h>

#include <iostream>
#include <stdexcept>

#include "serve/page_frame.h"
#include "serve/responses.h"
#include "serve/routes.h"

namespace zelk::serve {

namespace {

// Connections waiting to be accepted: the kernel caps it at its somaxconn.
constexpr int kListenBacklog = 1024;

// Room beyond the log for the rest of an upload's form (see upload_form.cpp).
constexpr std::size_t kFormOverhead = 64 * 1024;

std::string ErrorTitle(int status) {
    switch (status) {
        case 400:
            return "Bad request";
        case 404:
            return "Not found";
        case 405:
            return "Not allowed";
        case 413:
            return "Too large";
        case 414:
            return "Address too long";
        default:
            return "Error " + std::to_string(status);
    }
}

}  // namespace

HttpServer::HttpServer(App& app) {
    // What stays as started; the upload limits the routes take from the
    // settings of the moment, up to the body limit set here.
    const std::shared_ptr<const ServeSettings> started = app.settings.Current();
    const ServeSettings& settings = *started;
    const auto threads = static_cast<std::size_t>(std::max(settings.threads, 1));
    // The library takes ownership of the pool it is handed.
    m_server.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    m_server.set_payload_max_length(settings.maxUploadBytes + kFormOverhead);
    m_server.set_read_timeout(settings.readTimeoutSeconds, 0);
    m_server.set_write_timeout(settings.readTimeoutSeconds, 0);
    // One request per connection: an idle connection never holds a worker.
    m_server.set_keep_alive_max_count(1);
    m_server.set_default_headers({
        {"Content-Security-Policy", kContentSecurityPolicy},
        {"X-Content-Type-Options", "nosniff"},
        {"X-Frame-Options", "DENY"},
        {"Referrer-Policy", "same-origin"},
        {"Cache-Control", "no-store"},
    });
    m_server.set_error_handler(httplib::Server::HandlerWithResponse(
        [](const httplib::Request& request, httplib::Response& response) {
            if (response.body.empty()) {
                SendRefusal(request, response, response.status, ErrorTitle(response.status),
                            response.status == 404 ? "There is no page at this address."
                                                   : "The request could not be answered.");
            }
            return httplib::Server::HandlerResponse::Handled;
        }));
    m_server.set_exception_handler(
        [](const httplib::Request& request, httplib::Response& response, std::exception_ptr) {
            std::cerr << "zelk serve: " << request.method << " " << request.path
                      << ": an exception reached the server\n";
            SendRefusal(request, response, 500, "Something went wrong on the server",
                        "The server could not answer this request; please try again later.");
        });
    m_server.set_logger([](const httplib::Request& request, const httplib::Response& response) {
        if (request.method != "GET" || response.status >= 500) {
            std::cout << UtcText(Now()) << ' ' << request.remote_addr << ' ' << request.method
                      << ' ' << request.path << ' ' << response.status << '\n'
                      << std::flush;
        }
    });
    AddPublicRoutes(m_server, app);
    AddOrganiserRoutes(m_server, app);
}

bool HttpServer::Server::WidenBacklog(int backlog) {
    return ::listen(svr_sock_, backlog) == 0;
}

int HttpServer::Bind(const ListenAddress& address) {
    const std::string shown = address.host + ":" + std::to_string(address.port);
    int port = address.port;
    if (port == 0) {
        port = m_server.bind_to_any_port(address.host);
        if (port <= 0) {
            throw std::runtime_error("cannot listen on " + shown);
        }
    } else if (!m_server.bind_to_port(address.host, address.port)) {
        throw std::runtime_error("cannot listen on " + shown +
                                 " (is another server using the port?)");
    }
    if (!m_server.WidenBacklog(kListenBacklog)) {
        throw std::runtime_error("cannot listen on " + shown + " with a backlog of " +
                                 std::to_string(kListenBacklog));
    }
    return port;
}

bool HttpServer::Run() {
    return m_server.listen_after_bind();
}

void HttpServer::Stop() {
    m_server.stop();
}

}  // namespace zelk::serve
