// The pieces of a request the server reads by hand, each from untrusted
// text and each total (any bytes give an answer, never an exception):
// cookies, the bearer token, what the client accepts, where a form was sent
// from, the client's address behind a proxy, an e-mail address, the
// organiser's reason and category, a submission's id in a path, and a file
// name for a download.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "adjudication/contest_categories.h"

namespace zelk::serve {

// Why a piece of a request is refused, in a sentence.
struct Refused {
    std::string reason;
};

// The value of cookie `name` in a Cookie header ("a=1; b=2"); the first one
// when it is repeated.
std::optional<std::string> CookieValue(std::string_view header, std::string_view name);

// The token of "Bearer <token>" (the scheme in any case).
std::optional<std::string> BearerToken(std::string_view authorization);

// Whether the Accept header asks for JSON rather than a page: it names
// application/json (with a quality above 0) and not text/html.
bool WantsJson(std::string_view accept);

// Whether an Origin header ("https://logs.example.org:8443") names the host
// the request was sent to (its Host header), in any case. "null" and
// anything unreadable are not the same origin.
bool SameOrigin(std::string_view origin, std::string_view host);

// The client's address: the connection's peer, or, behind a reverse proxy,
// the last address of X-Forwarded-For (the one the proxy added).
std::string ClientAddress(std::string_view peer, std::string_view forwardedFor, bool behindProxy);

// Why an e-mail address given with a log cannot be kept; nullopt when it can
// (an empty one too: the field is optional).
std::optional<std::string> EmailProblem(std::string_view email);

// The reason given with an organiser's action, without the blanks around
// it; or why it cannot be kept (none, longer than 500 bytes, or not one line
// of UTF-8 text).
std::variant<std::string, Refused> ReadReason(std::string_view reason);

// The category the desk's form sets: one value for each part the results
// rank by (operator, band, power), each one the contest knows, joined by
// blanks as the results name it ("SINGLE-OP 40M LOW"); or why not.
std::variant<std::string, Refused> CategoryFromForm(const std::array<std::string, 3>& parts,
                                                    const adjudication::ContestCategories& known);

// A submission id in a path ("17"), or nullopt.
std::optional<int64_t> ParseId(std::string_view text);

// A file name for a download of a call's log: letters, digits and "-"
// kept, everything else "_", ".log" added.
std::string DownloadName(std::string_view call, int64_t id);

}  // namespace zelk::serve
