// One client's connection to `zelk serve`, from its acceptance to its
// close, on Boost.Asio; and what the connections of one server share
// (ServerCore). Everything a connection does with its socket runs on the
// server's one I/O thread, without blocking: reading the request within its
// limits and deadlines (a total time for the head from the connection, for
// the body the route's total time and the read timeout between bytes),
// answering, and draining what the client still sends before the close.
// Only the route's decision on a head (before its body is read) and its
// handler (with the request whole) run on a worker thread: no client holds
// a worker while it sends, however slowly.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/thread_pool.hpp>
#include <chrono>
#include <cstddef>
#include <functional>
#include <list>
#include <memory>
#include <string>

#include "serve/http_message.h"
#include "serve/request_reader.h"
#include "serve/router.h"

namespace zelk::serve {

class ClientConnection;

struct ServerCore {
    using Clock = std::chrono::steady_clock;

    // Room for the bodies of this many requests of the largest body limit
    // a route has admitted.
    static constexpr std::size_t kLargestBodiesAtOnce = 4;

    ServerCore(std::size_t threads, std::size_t leastBodyBudget)
        : bodyBudget(leastBodyBudget), workers(threads) {}

    Router router;
    Headers defaultHeaders;  // on every answer unless it sets them itself
    std::chrono::seconds readTimeout{10};
    std::chrono::seconds writeTimeout{120};
    bool behindProxy = false;
    std::function<void(const std::string&)> log;  // one line per request worth telling

    // Open connections, oldest first (the I/O thread's alone).
    std::list<std::weak_ptr<ClientConnection>> connections;
    bool stopping = false;
    // The bytes of request bodies held at once, across connections: at
    // least as given, and grown with the body limits admitted (the upload
    // limit follows the contest's settings while serving).
    std::size_t bodyBudget;
    std::atomic<std::size_t> bodyBytes{0};
    // Where every connection reads into, one after another on the I/O thread.
    std::array<char, 16 * 1024> readBuffer{};

    // Last, so that they go first: the workers' pending tasks and the I/O
    // thread's pending handlers hold connections, which use what is above.
    boost::asio::io_context io{1};
    boost::asio::thread_pool workers;  // the routes' handlers

    // Counts `bytes` more against the body budget; false (nothing counted)
    // when they would pass it.
    bool ReserveBody(std::size_t bytes);
    void ReleaseBody(std::size_t bytes) { bodyBytes -= bytes; }
    // Keeps room in the budget for the largest bodies of `limit` bytes.
    void KeepRoomFor(std::size_t limit) {
        bodyBudget = std::max(bodyBudget, kLargestBodiesAtOnce * limit);
    }
};

class ClientConnection : public std::enable_shared_from_this<ClientConnection> {
  public:
    using Clock = ServerCore::Clock;

    ClientConnection(ServerCore& server, boost::asio::ip::tcp::socket socket);
    ~ClientConnection();
    ClientConnection(const ClientConnection&) = delete;
    ClientConnection& operator=(const ClientConnection&) = delete;

    // Starts reading; `place` is its entry in the server's list.
    void Start(std::list<std::weak_ptr<ClientConnection>>::iterator place);
    // Whether its request's head has yet to arrive (it may then be dropped
    // to make room for a new connection).
    bool AwaitingHead() const { return m_phase == Phase::kHead; }
    // Ends it at once, nothing more said.
    void Close();
    // The server stops: a request still arriving is dropped, an answer
    // being written gets a short time to finish, a handler at work is
    // answered first.
    void Stop();

  private:
    enum class Phase { kHead, kAdmitting, kBody, kHandling, kWriting, kLingering, kClosed };

    void WaitForBytes();
    void OnReadable();
    void Take(RequestReader::Step step);
    void OnHead();
    void ReadBody(const BodyRules& rules);
    void OnComplete();
    void Refuse(int status);
    void Answer(Response response);
    // The request is answered or given up: what it held (its body, its
    // place in the upload limits) goes now, not when the client has gone.
    void LetGo();
    void Linger();
    void ArmTimer(Clock::time_point when);
    void OnTimer();

    ServerCore& m_server;
    boost::asio::ip::tcp::socket m_socket;
    boost::asio::steady_timer m_timer;
    std::list<std::weak_ptr<ClientConnection>>::iterator m_place;
    Phase m_phase = Phase::kHead;
    bool m_waiting = false;  // a wait for bytes is under way
    RequestReader m_reader;
    Request m_request;
    bool m_haveHead = false;
    const Router::Route* m_route = nullptr;
    std::string m_peer;
    Clock::time_point m_accepted;
    Clock::time_point m_deadline;  // of the request, or of the answer and the close
    Clock::time_point m_lastBytes;
    bool m_stallLimited = false;  // dropped too when nothing comes for the read timeout
    std::size_t m_reserved = 0;   // body bytes counted against the budget
    std::size_t m_drained = 0;    // bytes dropped after the answer
    // How much and how long is dropped after the answer before the close.
    std::size_t m_lingerBytes;
    std::chrono::seconds m_lingerTime;
    std::string m_out;
};

}  // namespace zelk::serve
