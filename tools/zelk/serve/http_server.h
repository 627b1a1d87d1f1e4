// The HTTP side of `zelk serve`: cpp-httplib's server with the routes over
// one App, its limits (the body size, read and write timeouts, one request
// per connection, a fixed pool of worker threads), the headers every answer
// carries (the Content-Security-Policy among them), and a page for every
// error the library answers by itself.
#pragma once

#include <httplib.h>

#include "serve/app.h"
#include "serve/serve_settings.h"

namespace zelk::serve {

class HttpServer {
  public:
    explicit HttpServer(App& app);
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds the address; returns the port (the one chosen when 0 was
    // given). Throws std::runtime_error when the address cannot be bound.
    int Bind(const ListenAddress& address);
    // Serves until Stop; false when serving could not start.
    bool Run();
    // Safe from any thread.
    void Stop();

  private:
    // Debian's cpp-httplib is built to listen with a backlog of 5
    // connections: a burst of entrants beyond that has its connections
    // dropped and retried after one, three, seven ... seconds. listen() again
    // on the bound socket (the library keeps it for subclasses) widens it.
    class Server : public httplib::Server {
      public:
        bool WidenBacklog(int backlog);
    };
    Server m_server;
};

}  // namespace zelk::serve
