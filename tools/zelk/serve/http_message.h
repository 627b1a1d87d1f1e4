// A request and its answer as the routes see them: plain values that the
// HTTP layer (request_reader, connection) fills from the wire and sends
// back. The accessors the handlers use keep the names of the HTTP library
// the routes were first written on (get_header_value, set_content ...), so
// that a handler reads the same whichever layer carries it. Also the
// readers of a request's target and of a urlencoded form: hostile text,
// total (any bytes give an answer, never an exception).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <string_view>

namespace zelk::serve {

// Header names compare without regard to case.
struct NoCaseLess {
    bool operator()(std::string_view a, std::string_view b) const;
    using is_transparent = void;
};
using Headers = std::multimap<std::string, std::string, NoCaseLess>;
using Params = std::multimap<std::string, std::string, std::less<>>;

struct Request {
    std::string method;  // "GET", "HEAD", "POST" ...
    std::string target;  // as sent: "/results/?x=1"
    std::string path;    // the target's path, percent-decoded
    Headers headers;
    Params params;  // from the query, and from a urlencoded form's body
    std::string body;
    std::string remote_addr;  // the connection's peer
    std::smatch matches;      // the route's pattern against `path`
    // What the route's admission keeps while the request is served (an
    // upload's place in the rate limiter); released with the request.
    std::shared_ptr<void> admitted;

    bool has_header(std::string_view key) const;
    // The first value of the header; empty when absent.
    std::string get_header_value(std::string_view key) const;
    bool has_param(std::string_view key) const;
    std::string get_param_value(std::string_view key) const;
    bool is_multipart_form_data() const;
};

struct Response {
    int status = 200;
    Headers headers;
    std::string body;

    // Adds a header; a value with a line break or a NUL is dropped (it
    // would end the header early).
    void set_header(std::string_view key, std::string_view value);
    std::string get_header_value(std::string_view key) const;
    void set_content(std::string content, std::string_view contentType);
};

using Handler = std::function<void(const Request&, Response&)>;

// The length a request declares in Content-Length; nullopt without one (or
// when it is no number, which the reader has refused already).
std::optional<std::uint64_t> DeclaredLength(const Request& request);

// Percent-decoding ("%2F" → "/"); with `plusIsSpace` (forms and queries) "+"
// is a space. A "%" not followed by two hex digits stays as it is.
std::string DecodeUrl(std::string_view text, bool plusIsSpace);

// "a=1&b=two%20words" added to `params`, each name and value decoded.
void ReadUrlEncoded(std::string_view text, Params& params);

// The path (decoded) and the query's parameters of an origin-form target
// ("/received?x=1"); false for any other form ("*", "http://...").
bool ReadTarget(std::string_view target, std::string& path, Params& params);

}  // namespace zelk::serve
