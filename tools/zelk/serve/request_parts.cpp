// Hand-written readers of request headers and fields.
#include "serve/request_parts.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

#include "text/text.h"

namespace zelk::serve {

namespace {

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return AsciiUpper(x) == AsciiUpper(y);
           });
}

// Calls `visit` with each trimmed piece of `text` between separators.
template <typename Visit>
void ForEachPiece(std::string_view text, char separator, Visit visit) {
    while (true) {
        const std::size_t end = text.find(separator);
        if (!visit(Trim(text.substr(0, end))) || end == std::string_view::npos) {
            return;
        }
        text.remove_prefix(end + 1);
    }
}

// The quality of a media range's parameters ("q=0.5"); 1 when none is given.
double Quality(std::string_view parameters) {
    double quality = 1.0;
    ForEachPiece(parameters, ';', [&quality](std::string_view parameter) {
        if (parameter.size() >= 2 && (parameter[0] == 'q' || parameter[0] == 'Q') &&
            parameter[1] == '=') {
            const std::string value(parameter.substr(2));
            char* end = nullptr;
            const double read = std::strtod(value.c_str(), &end);
            quality = end != value.c_str() && read >= 0.0 && read <= 1.0 ? read : 0.0;
        }
        return true;
    });
    return quality;
}

}  // namespace

std::optional<std::string> CookieValue(std::string_view header, std::string_view name) {
    std::optional<std::string> found;
    ForEachPiece(header, ';', [&](std::string_view pair) {
        const std::size_t equals = pair.find('=');
        if (equals != std::string_view::npos && Trim(pair.substr(0, equals)) == name) {
            std::string_view value = Trim(pair.substr(equals + 1));
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
                value = value.substr(1, value.size() - 2);
            }
            found = std::string(value);
            return false;
        }
        return true;
    });
    return found;
}

std::optional<std::string> BearerToken(std::string_view authorization) {
    authorization = Trim(authorization);
    constexpr std::string_view kScheme = "Bearer";
    if (authorization.size() <= kScheme.size() + 1 ||
        !EqualNoCase(authorization.substr(0, kScheme.size()), kScheme) ||
        (authorization[kScheme.size()] != ' ' && authorization[kScheme.size()] != '\t')) {
        return std::nullopt;
    }
    const std::string_view token = Trim(authorization.substr(kScheme.size()));
    if (token.empty()) {
        return std::nullopt;
    }
    return std::string(token);
}

bool WantsJson(std::string_view accept) {
    bool json = false;
    bool html = false;
    ForEachPiece(accept, ',', [&](std::string_view range) {
        const std::size_t semicolon = range.find(';');
        const std::string_view type = Trim(range.substr(0, semicolon));
        const bool wanted =
            semicolon == std::string_view::npos || Quality(range.substr(semicolon + 1)) > 0.0;
        if (EqualNoCase(type, "application/json")) {
            json = json || wanted;
        } else if (EqualNoCase(type, "text/html")) {
            html = html || wanted;
        }
        return true;
    });
    return json && !html;
}

bool SameOrigin(std::string_view origin, std::string_view host) {
    origin = Trim(origin);
    host = Trim(host);
    std::size_t scheme = origin.find("://");
    if (scheme == std::string_view::npos || host.empty()) {
        return false;
    }
    const std::string_view name = origin.substr(0, scheme);
    if (!EqualNoCase(name, "http") && !EqualNoCase(name, "https")) {
        return false;
    }
    const std::string_view authority = origin.substr(scheme + 3);
    return authority.find('/') == std::string_view::npos && EqualNoCase(authority, host);
}

std::string ClientAddress(std::string_view peer, std::string_view forwardedFor, bool behindProxy) {
    if (behindProxy) {
        const std::size_t comma = forwardedFor.rfind(',');
        const std::string_view last =
            Trim(comma == std::string_view::npos ? forwardedFor : forwardedFor.substr(comma + 1));
        if (!last.empty() && last.size() <= 64) {
            return std::string(last);
        }
    }
    return std::string(peer);
}

std::optional<std::string> EmailProblem(std::string_view email) {
    if (email.empty()) {
        return std::nullopt;
    }
    if (email.size() > 254) {
        return "The e-mail address is longer than 254 characters.";
    }
    const bool oddCharacter = std::any_of(email.begin(), email.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= 0x20 || byte == 0x7F || c == '<' || c == '>' || c == '"' || c == ',';
    });
    const std::size_t at = email.rfind('@');
    if (oddCharacter || at == 0 || at == std::string_view::npos || at + 1 == email.size() ||
        email.substr(at + 1).find('.') == std::string_view::npos) {
        return "\"" + Printable(email, 60) +
               "\" is not an e-mail address such as name@example.org.";
    }
    return std::nullopt;
}

std::variant<std::string, Refused> ReadReason(std::string_view reason) {
    reason = Trim(reason);
    if (reason.empty()) {
        return Refused{"Say why: the reason is kept with the action."};
    }
    if (reason.size() > 500) {
        return Refused{"The reason is longer than 500 bytes."};
    }
    for (std::size_t i = 0; i < reason.size();) {
        const auto byte = static_cast<unsigned char>(reason[i]);
        const auto length = Utf8SequenceLength(reason.substr(i));
        if (byte < 0x20 || byte == 0x7F || !length) {
            return Refused{"The reason must be one line of text."};
        }
        i += *length;
    }
    return std::string(reason);
}

std::variant<std::string, Refused> CategoryFromForm(const std::array<std::string, 3>& parts,
                                                    const adjudication::ContestCategories& known) {
    static constexpr const char* kParts[] = {"operator", "band", "power"};
    std::string category;
    for (std::size_t p = 0; p < parts.size(); ++p) {
        const std::string value = Upper(Trim(parts[p]));
        const auto& values = known.values[p];
        if (std::find(values.begin(), values.end(), value) == values.end()) {
            return Refused{"\"" + Printable(value, 40) + "\" is no " + kParts[p] +
                           " category of this contest."};
        }
        category += (p == 0 ? "" : " ") + value;
    }
    return category;
}

std::optional<int64_t> ParseId(std::string_view text) {
    int64_t id = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || id <= 0) {
        return std::nullopt;
    }
    return id;
}

std::string DownloadName(std::string_view call, int64_t id) {
    std::string name;
    for (char c : call.substr(0, 40)) {
        const bool plain =
            (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
        name += plain ? c : '_';
    }
    return name + "-" + std::to_string(id) + ".log";
}

}  // namespace zelk::serve
