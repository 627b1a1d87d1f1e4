// The server's table of routes: a method and a pattern of the path for
// each handler, and for a route that takes a larger body (the upload) the
// decision taken on its head before the body is read. Every other route's
// body is a small form: at most 64 KiB, read within the read timeout.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "serve/http_message.h"

namespace zelk::serve {

// How a request's body is read.
struct BodyRules {
    static constexpr std::size_t kFormBytes = 64 * 1024;

    std::size_t limit = kFormBytes;  // the most the body may hold; 413 beyond
    // The most the whole request may take from its connection, its body
    // then also dropped when it stops for the read timeout; nullopt: the
    // request within the read timeout.
    std::optional<std::chrono::seconds> within;
};

// Decides on a request from its head, before its body is read, on a worker
// thread: the rules its body is read by, or nullopt with `refusal` filled
// (answered at once, the body never read). What it keeps while the request
// is served goes in `head.admitted`.
using Admission = std::function<std::optional<BodyRules>(Request& head, Response& refusal)>;
// How a route words a refusal the server gives while reading its request
// (400, 408, 413, 503).
using RefusalWording = std::function<void(const Request&, Response&, int status)>;

class Router {
  public:
    struct Route {
        std::string method;
        std::regex pattern;
        Handler handler;
        Admission admit;        // empty: BodyRules' defaults
        RefusalWording refuse;  // empty: the server's own wording
    };

    void Get(const std::string& pattern, Handler handler);
    void Post(const std::string& pattern, Handler handler, Admission admit = {},
              RefusalWording refuse = {});

    // The route for a request's head (a HEAD request takes the GET route),
    // with `head.matches` filled; nullptr with 404 or 405 in `status`.
    const Route* Find(Request& head, int& status) const;

  private:
    std::vector<Route> m_routes;
};

}  // namespace zelk::serve
