// Reading a multipart/form-data body.
#include "serve/multipart_form.h"

#include <algorithm>
#include <utility>

#include "text/text.h"

namespace zelk::serve {

namespace {

// A part's headers (Content-Disposition and perhaps Content-Type) take a
// few hundred bytes; a long file name a few more.
constexpr std::size_t kPartHeadLimit = 8 * 1024;
constexpr std::size_t kBoundaryLimit = 70;
constexpr std::string_view kLineEnd = "\r\n";

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && Upper(a) == Upper(b);
}

// The value of parameter `name` among a header value's parameters
// (`form-data; name="log"; filename="a.log"`), unquoted; nullopt when absent.
std::optional<std::string> Parameter(std::string_view value, std::string_view name) {
    std::size_t at = std::min(value.find(';'), value.size());
    while (at < value.size()) {
        ++at;  // past ';'
        const std::size_t keyEnd = std::min(value.find_first_of("=;", at), value.size());
        const std::string_view key = Trim(value.substr(at, keyEnd - at));
        at = keyEnd;
        if (at == value.size() || value[at] == ';') {
            continue;  // a parameter without a value
        }
        ++at;  // past '='
        while (at < value.size() && (value[at] == ' ' || value[at] == '\t')) {
            ++at;
        }
        std::string text;
        if (at < value.size() && value[at] == '"') {
            for (++at; at < value.size() && value[at] != '"'; ++at) {
                if (value[at] == '\\' && at + 1 < value.size()) {
                    ++at;
                }
                text += value[at];
            }
            at = std::min(value.find(';', at), value.size());
        } else {
            const std::size_t end = std::min(value.find(';', at), value.size());
            text = std::string(Trim(value.substr(at, end - at)));
            at = end;
        }
        if (EqualNoCase(key, name)) {
            return text;
        }
    }
    return std::nullopt;
}

struct PartHead {
    std::string name;
    std::string fileName;  // empty when the part is no file
};

// The form-data name (and file name) a part's headers give it.
std::optional<PartHead> ReadPartHead(std::string_view headers) {
    while (!headers.empty()) {
        const std::size_t end = std::min(headers.find(kLineEnd), headers.size());
        const std::string_view line = headers.substr(0, end);
        headers.remove_prefix(std::min(end + kLineEnd.size(), headers.size()));
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos ||
            !EqualNoCase(Trim(line.substr(0, colon)), "Content-Disposition")) {
            continue;
        }
        const std::string_view value = Trim(line.substr(colon + 1));
        if (!EqualNoCase(Trim(value.substr(0, std::min(value.find(';'), value.size()))),
                         "form-data")) {
            return std::nullopt;
        }
        auto name = Parameter(value, "name");
        if (!name) {
            return std::nullopt;
        }
        return PartHead{std::move(*name), Parameter(value, "filename").value_or("")};
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> MultipartBoundary(std::string_view contentType) {
    auto boundary = Parameter(contentType, "boundary");
    if (!boundary || boundary->empty() || boundary->size() > kBoundaryLimit) {
        return std::nullopt;
    }
    return boundary;
}

bool ReadMultipartForm(
    std::string_view body, std::string_view boundary,
    const std::function<bool(std::string_view name, std::string_view fileName)>& field,
    const std::function<bool(std::string_view bytes)>& content) {
    if (boundary.empty()) {
        return false;
    }
    const std::string delimiter = "--" + std::string(boundary);
    const std::string nextPart = std::string(kLineEnd) + delimiter;
    // The first delimiter opens the body or ends its preamble's last line.
    std::size_t at = 0;
    if (!body.starts_with(delimiter)) {
        at = body.find(nextPart);
        if (at == std::string_view::npos) {
            return false;
        }
        at += kLineEnd.size();
    }
    at += delimiter.size();
    while (true) {
        if (body.substr(at, 2) == "--") {
            return true;  // the closing delimiter; what follows is an epilogue
        }
        while (at < body.size() && (body[at] == ' ' || body[at] == '\t')) {
            ++at;
        }
        if (body.substr(at, kLineEnd.size()) != kLineEnd) {
            return false;
        }
        at += kLineEnd.size();
        // The part's headers end with an empty line (at once, when it has none).
        std::size_t headEnd = at;
        if (body.substr(at, kLineEnd.size()) != kLineEnd) {
            const std::string_view window = body.substr(at, kPartHeadLimit + 4);
            headEnd = window.find("\r\n\r\n");
            if (headEnd == std::string_view::npos) {
                return false;
            }
            headEnd += at + kLineEnd.size();
        }
        const auto part = ReadPartHead(body.substr(at, headEnd - at));
        const std::size_t start = headEnd + kLineEnd.size();
        const std::size_t end = body.find(nextPart, start);
        if (!part || end == std::string_view::npos) {
            return false;
        }
        if (!field(part->name, part->fileName) || !content(body.substr(start, end - start))) {
            return false;
        }
        at = end + nextPart.size();
    }
}

}  // namespace zelk::serve
