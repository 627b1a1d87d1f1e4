// A connection's life: read the request within its limits and deadlines,
// have a worker answer it, write the answer, drain and close.
#include "serve/client_connection.h"

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/http/status.hpp>
#include <cstdint>
#include <exception>
#include <optional>
#include <utility>

#include "serve/page_frame.h"
#include "serve/request_parts.h"
#include "serve/responses.h"
#include "serve/serve_settings.h"
#include "text/text.h"

namespace zelk::serve {

namespace asio = boost::asio;
using boost::system::error_code;

namespace {

// After the answer, what the client still sends is read and dropped, up to
// this long and this much, before the close, so that a close with unread
// bytes (which resets the connection) does not take the answer with it; a
// client that sends more (a flood) is cut off at once.
constexpr std::chrono::seconds kLinger{2};
constexpr std::size_t kLingerBytes = 64 * 1024;
// A reverse proxy sends the whole body, which it has read and bounded
// already (nginx's client_max_body_size), before it reads the answer: a
// close that leaves the body unread resets its write, and it answers 502 in
// zelk's place. Behind a proxy, after a refusal, the rest of a declared body
// of up to this much is read and dropped, within this long; a larger one is
// cut off as from any client.
constexpr std::uint64_t kProxiedBodyDropped = std::uint64_t{64} << 20;
constexpr std::chrono::seconds kProxiedLinger{10};
// How long an answer under way may still take once the server stops.
constexpr std::chrono::seconds kStopGrace{2};
// Reads one readiness takes before the other connections' turn.
constexpr int kReadsAtOnce = 4;

constexpr std::string_view kContinue = "HTTP/1.1 100 Continue\r\n\r\n";

std::string Serialized(const Response& response, const Headers& defaults, bool headOnly) {
    const auto status = boost::beast::http::int_to_status(static_cast<unsigned>(response.status));
    const auto reason = boost::beast::http::obsolete_reason(status);
    std::string out = "HTTP/1.1 " + std::to_string(response.status) + " " +
                      std::string(reason.data(), reason.size()) + "\r\n";
    for (const auto& [name, value] : defaults) {
        if (response.headers.find(name) == response.headers.end()) {
            out += name + ": " + value + "\r\n";
        }
    }
    for (const auto& [name, value] : response.headers) {
        if (name != "Content-Length" && name != "Connection") {
            out += name + ": " + value + "\r\n";
        }
    }
    out +=
        "Content-Length: " + std::to_string(response.body.size()) + "\r\nConnection: close\r\n\r\n";
    if (!headOnly) {
        out += response.body;
    }
    return out;
}

}  // namespace

bool ServerCore::ReserveBody(std::size_t bytes) {
    if (bodyBytes.fetch_add(bytes) + bytes > bodyBudget) {
        bodyBytes -= bytes;
        return false;
    }
    return true;
}

ClientConnection::ClientConnection(ServerCore& server, asio::ip::tcp::socket socket)
    : m_server(server),
      m_socket(std::move(socket)),
      m_timer(server.io),
      m_lingerBytes(kLingerBytes),
      m_lingerTime(kLinger) {}

ClientConnection::~ClientConnection() {
    m_server.ReleaseBody(m_reserved);
}

void ClientConnection::Start(std::list<std::weak_ptr<ClientConnection>>::iterator place) {
    m_place = place;
    m_accepted = Clock::now();
    error_code error;
    const auto peer = m_socket.remote_endpoint(error);
    m_socket.non_blocking(true, error);
    if (error) {
        return Close();
    }
    m_peer = peer.address().to_string();
    ArmTimer(m_accepted + m_server.readTimeout);
    OnReadable();  // a client's request is often there with its connection
}

void ClientConnection::WaitForBytes() {
    if (m_waiting || m_phase == Phase::kClosed) {
        return;
    }
    m_waiting = true;
    m_socket.async_wait(asio::ip::tcp::socket::wait_read,
                        [self = shared_from_this()](const error_code& error) {
                            self->m_waiting = false;
                            if (!error) {
                                self->OnReadable();
                            } else if (error != asio::error::operation_aborted) {
                                self->Close();
                            }
                        });
}

void ClientConnection::OnReadable() {
    for (int read = 0; read < kReadsAtOnce; ++read) {
        const bool reading = m_phase == Phase::kHead || m_phase == Phase::kBody;
        if (!reading && m_phase != Phase::kLingering) {
            return;  // bytes wait until the answer is written
        }
        error_code error;
        const std::size_t got = m_socket.read_some(asio::buffer(m_server.readBuffer), error);
        if (error == asio::error::would_block || error == asio::error::try_again) {
            break;
        }
        if (error) {
            return Close();  // the client went away or closed its side
        }
        if (m_phase == Phase::kLingering) {
            m_drained += got;
            if (m_drained > m_lingerBytes) {
                return Close();
            }
            continue;  // dropped
        }
        m_lastBytes = Clock::now();
        Take(m_reader.Feed(std::string_view(m_server.readBuffer.data(), got)));
    }
    WaitForBytes();
}

void ClientConnection::Take(RequestReader::Step step) {
    if (m_phase == Phase::kBody && m_reader.BodyBytes() > m_reserved) {
        if (!m_server.ReserveBody(m_reader.BodyBytes() - m_reserved)) {
            return Refuse(503);
        }
        m_reserved = m_reader.BodyBytes();
    }
    switch (step) {
        case RequestReader::Step::kMore:
            return;
        case RequestReader::Step::kHead:
            return OnHead();
        case RequestReader::Step::kComplete:
            return OnComplete();
        case RequestReader::Step::kRefused:
            return Refuse(m_reader.RefusalStatus());
    }
}

void ClientConnection::OnHead() {
    m_request = m_reader.TakeHead();
    m_request.remote_addr = m_peer;
    m_haveHead = true;
    int status = 404;
    m_route = m_server.router.Find(m_request, status);
    if (m_route == nullptr) {
        return Refuse(status);
    }
    if (!m_route->admit) {
        return ReadBody(BodyRules());
    }
    // The decision may read the organiser's credentials or the upload
    // limits: a worker takes it, never the I/O thread.
    m_phase = Phase::kAdmitting;
    asio::post(m_server.workers,
               [self = shared_from_this(), guard = asio::make_work_guard(m_server.io)]() mutable {
                   Response refusal;
                   std::optional<BodyRules> admitted;
                   try {
                       admitted = self->m_route->admit(self->m_request, refusal);
                   } catch (...) {
                       refusal = Response();
                       SendServerRefusal(self->m_request, refusal, 500);
                   }
                   ServerCore& server = self->m_server;
                   asio::post(server.io, [self = std::move(self), admitted,
                                          refusal = std::move(refusal)]() mutable {
                       if (self->m_phase != Phase::kAdmitting) {
                           return;
                       }
                       if (self->m_server.stopping) {
                           return self->Close();
                       }
                       if (!admitted) {
                           return self->Answer(std::move(refusal));
                       }
                       self->ReadBody(*admitted);
                       if (self->m_phase == Phase::kBody) {
                           self->WaitForBytes();
                       }
                   });
               });
}

void ClientConnection::ReadBody(const BodyRules& rules) {
    m_phase = Phase::kBody;
    m_server.KeepRoomFor(rules.limit);
    if (rules.within) {
        m_deadline = m_accepted + *rules.within;
        m_stallLimited = true;
        m_lastBytes = Clock::now();
        ArmTimer(std::min(m_deadline, m_lastBytes + m_server.readTimeout));
    }
    const RequestReader::Step step = m_reader.ReadBody(rules.limit);
    if (step == RequestReader::Step::kMore && m_reader.ExpectsContinue()) {
        // Nothing was written to the connection yet, so its few bytes fit
        // at once; one write under way at a time stays the rule.
        error_code error;
        const std::size_t written =
            m_socket.write_some(asio::buffer(kContinue.data(), kContinue.size()), error);
        if (error || written != kContinue.size()) {
            return Close();
        }
    }
    Take(step);
}

void ClientConnection::OnComplete() {
    m_request.body = m_reader.TakeBody();
    const std::string type = m_request.get_header_value("Content-Type");
    if (type.starts_with("application/x-www-form-urlencoded")) {
        ReadUrlEncoded(m_request.body, m_request.params);
    }
    m_phase = Phase::kHandling;
    m_timer.cancel();
    asio::post(m_server.workers, [self = shared_from_this(),
                                  guard = asio::make_work_guard(m_server.io)]() mutable {
        Response response;
        try {
            self->m_route->handler(self->m_request, response);
        } catch (...) {  // the handlers are guarded; this keeps the worker whatever
            response = Response();
            SendServerRefusal(self->m_request, response, 500);
        }
        ServerCore& server = self->m_server;
        // The last owner lets go on the I/O thread, never here.
        asio::post(server.io, [self = std::move(self), response = std::move(response)]() mutable {
            self->Answer(std::move(response));
        });
    });
}

void ClientConnection::Refuse(int status) {
    Response response;
    if (m_route != nullptr && m_route->refuse) {
        m_route->refuse(m_request, response, status);
    } else {
        SendServerRefusal(m_request, response, status);
    }
    if (status == 503 && response.get_header_value("Retry-After").empty()) {
        response.set_header("Retry-After", "10");
    }
    Answer(std::move(response));
}

void ClientConnection::Answer(Response response) {
    if (m_phase == Phase::kClosed) {
        return;
    }
    if (m_haveHead && m_server.log &&
        ((m_request.method != "GET" && m_request.method != "HEAD") || response.status >= 500)) {
        m_server.log(UtcText(Now()) + ' ' +
                     ClientAddress(m_peer, m_request.get_header_value("X-Forwarded-For"),
                                   m_server.behindProxy) +
                     ' ' + Printable(m_request.method, 16) + ' ' + Printable(m_request.path, 200) +
                     ' ' + std::to_string(response.status));
    }
    m_out = Serialized(response, m_server.defaultHeaders, m_request.method == "HEAD");
    if (m_server.behindProxy && m_haveHead && m_phase != Phase::kHandling) {
        const std::optional<std::uint64_t> declared = DeclaredLength(m_request);
        if (declared && *declared <= kProxiedBodyDropped) {
            m_lingerBytes = kLingerBytes + static_cast<std::size_t>(*declared);
            m_lingerTime = kProxiedLinger;
        }
    }
    LetGo();
    m_phase = Phase::kWriting;
    m_deadline = Clock::now() + (m_server.stopping ? kStopGrace : m_server.writeTimeout);
    ArmTimer(m_deadline);
    asio::async_write(m_socket, asio::buffer(m_out),
                      [self = shared_from_this()](const error_code& error, std::size_t) {
                          if (error) {
                              return self->Close();
                          }
                          self->Linger();
                      });
}

void ClientConnection::LetGo() {
    m_request.admitted.reset();
    m_request.body = std::string();
    m_reader.Discard();
    m_server.ReleaseBody(std::exchange(m_reserved, 0));
}

void ClientConnection::Linger() {
    if (m_phase == Phase::kClosed) {
        return;
    }
    m_out.clear();
    error_code error;
    m_socket.shutdown(asio::ip::tcp::socket::shutdown_send, error);
    if (error || m_server.stopping) {
        return Close();
    }
    m_phase = Phase::kLingering;
    ArmTimer(Clock::now() + m_lingerTime);
    WaitForBytes();
}

void ClientConnection::ArmTimer(Clock::time_point when) {
    m_timer.expires_at(when);
    m_timer.async_wait([self = shared_from_this()](const error_code& error) {
        if (!error) {
            self->OnTimer();
        }
    });
}

void ClientConnection::OnTimer() {
    switch (m_phase) {
        case Phase::kHead:
            return m_reader.Started() ? Refuse(408) : Close();
        case Phase::kBody: {
            const Clock::time_point stall = m_lastBytes + m_server.readTimeout;
            const Clock::time_point now = Clock::now();
            if (m_stallLimited && now < m_deadline && now < stall) {
                return ArmTimer(std::min(m_deadline, stall));
            }
            return Refuse(408);
        }
        case Phase::kWriting:
        case Phase::kLingering:
            return Close();
        case Phase::kAdmitting:
        case Phase::kHandling:
        case Phase::kClosed:
            return;
    }
}

void ClientConnection::Stop() {
    switch (m_phase) {
        case Phase::kHead:
        case Phase::kBody:
        case Phase::kLingering:
            return Close();
        case Phase::kWriting:
            if (m_deadline > Clock::now() + kStopGrace) {
                m_deadline = Clock::now() + kStopGrace;
                ArmTimer(m_deadline);
            }
            return;
        case Phase::kAdmitting:  // a worker holds the request: it answers first
        case Phase::kHandling:
        case Phase::kClosed:
            return;
    }
}

void ClientConnection::Close() {
    if (m_phase == Phase::kClosed) {
        return;
    }
    m_phase = Phase::kClosed;
    LetGo();
    error_code ignored;
    m_socket.close(ignored);
    m_timer.cancel();
    m_server.connections.erase(m_place);
}

}  // namespace zelk::serve
