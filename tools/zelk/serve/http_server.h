// The HTTP side of `zelk serve`: the routes over one App served on Boost.Asio
// (client_connection.h): one I/O thread reads every request whole within hard
// limits and deadlines and writes every answer, a pool of --threads workers
// runs the handlers; at most --max-connections connections at once, the one
// waiting longest for its request's head dropped to make room; the headers
// every answer carries (the Content-Security-Policy among them); and a stop
// that ends within seconds whatever the clients do.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "serve/app.h"
#include "serve/serve_settings.h"

namespace zelk::serve {

class HttpServer {
  public:
    // `log` takes one line per request that changes something or fails
    // (the time, the client's address, the method, the path, the status);
    // empty: standard output.
    explicit HttpServer(App& app, std::function<void(const std::string&)> log = {});
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds the address; returns the port (the one chosen when 0 was
    // given). Throws std::runtime_error when the address cannot be bound.
    int Bind(const ListenAddress& address);
    // Serves until Stop; false when serving could not start.
    bool Run();
    // Safe from any thread; Run returns once the handlers at work have
    // answered (their answers get two seconds to be written).
    void Stop();

    // The connections held at once: --max-connections, or fewer when the
    // process may not open that many files.
    std::size_t ConnectionLimit() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace zelk::serve
