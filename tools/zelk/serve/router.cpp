// Finding a request's route.

// GCC 12 warns, wrongly, that libstdc++'s std::regex compiler may read a
// member it has just initialised, at -O1 as the sanitizer build compiles
// (a known false positive); this file is where the route patterns are
// compiled.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include "serve/router.h"

namespace zelk::serve {

void Router::Get(const std::string& pattern, Handler handler) {
    m_routes.push_back({"GET", std::regex(pattern), std::move(handler), {}, {}});
}

void Router::Post(const std::string& pattern, Handler handler, Admission admit,
                  RefusalWording refuse) {
    m_routes.push_back(
        {"POST", std::regex(pattern), std::move(handler), std::move(admit), std::move(refuse)});
}

const Router::Route* Router::Find(Request& head, int& status) const {
    const std::string& method = head.method == "HEAD" ? std::string("GET") : head.method;
    status = 404;
    for (const Route& route : m_routes) {
        std::smatch matches;
        if (!std::regex_match(head.path, matches, route.pattern)) {
            continue;
        }
        if (route.method == method) {
            head.matches = std::move(matches);
            return &route;
        }
        status = 405;
    }
    return nullptr;
}

}  // namespace zelk::serve
