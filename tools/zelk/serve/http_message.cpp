// Requests and answers as values; the target and urlencoded forms read.
#include "serve/http_message.h"

#include <algorithm>
#include <charconv>

#include "text/text.h"

namespace zelk::serve {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

template <typename Map>
std::string FirstValue(const Map& map, std::string_view key) {
    const auto found = map.find(key);
    return found == map.end() ? std::string() : found->second;
}

}  // namespace

bool NoCaseLess::operator()(std::string_view a, std::string_view b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return AsciiUpper(x) < AsciiUpper(y);
    });
}

bool Request::has_header(std::string_view key) const {
    return headers.find(key) != headers.end();
}

std::string Request::get_header_value(std::string_view key) const {
    return FirstValue(headers, key);
}

bool Request::has_param(std::string_view key) const {
    return params.find(key) != params.end();
}

std::string Request::get_param_value(std::string_view key) const {
    return FirstValue(params, key);
}

bool Request::is_multipart_form_data() const {
    constexpr std::string_view kMultipart = "multipart/form-data";
    const std::string type = get_header_value("Content-Type");
    return Upper(std::string_view(type).substr(0, kMultipart.size())) == Upper(kMultipart);
}

void Response::set_header(std::string_view key, std::string_view value) {
    const auto unsafe = [](std::string_view text) {
        return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
    };
    if (!unsafe(key) && !unsafe(value)) {
        headers.emplace(std::string(key), std::string(value));
    }
}

std::string Response::get_header_value(std::string_view key) const {
    return FirstValue(headers, key);
}

void Response::set_content(std::string content, std::string_view contentType) {
    body = std::move(content);
    headers.erase(std::string("Content-Type"));
    set_header("Content-Type", contentType);
}

std::optional<std::uint64_t> DeclaredLength(const Request& request) {
    const auto found = request.headers.find(std::string_view("Content-Length"));
    if (found == request.headers.end()) {
        return std::nullopt;
    }
    const std::string& text = found->second;
    std::uint64_t length = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), length);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return length;
}

std::string DecodeUrl(std::string_view text, bool plusIsSpace) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            decoded += plusIsSpace && c == '+' ? ' ' : c;
        }
    }
    return decoded;
}

void ReadUrlEncoded(std::string_view text, Params& params) {
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('&'), text.size());
        const std::string_view pair = text.substr(0, end);
        if (!pair.empty()) {
            const std::size_t equals = std::min(pair.find('='), pair.size());
            params.emplace(DecodeUrl(pair.substr(0, equals), true),
                           equals < pair.size() ? DecodeUrl(pair.substr(equals + 1), true) : "");
        }
        text.remove_prefix(std::min(end + 1, text.size()));
    }
}

bool ReadTarget(std::string_view target, std::string& path, Params& params) {
    if (target.empty() || target.front() != '/') {
        return false;
    }
    const std::size_t question = std::min(target.find('?'), target.size());
    path = DecodeUrl(target.substr(0, question), false);
    if (question < target.size()) {
        ReadUrlEncoded(target.substr(question + 1), params);
    }
    return true;
}

}  // namespace zelk::serve
