// Setting up a libcurl handle for a mail server.
#include "mail/curl_easy.h"

#include <stdexcept>

namespace zelk::mail {

namespace {

// The server's lines reach curl's header callback (also those of a
// transfer's own protocol steps); kept, up to a bound.
size_t KeepLines(char* data, size_t size, size_t count, void* lines) {
    auto* text = static_cast<std::string*>(lines);
    const size_t bytes = size * count;
    if (text->size() < 64 * 1024) {
        text->append(data, bytes);
    }
    return bytes;
}

}  // namespace

CurlEasy::CurlEasy(const MailServer& server) : m_handle(curl_easy_init()) {
    StartCurl();
    if (!m_handle) {
        throw std::runtime_error("libcurl could not make a handle");
    }
    CURL* handle = m_handle.get();
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, m_error);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, 20L);
    // A stop waits for a transfer under way: no transfer takes longer.
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, 120L);
    curl_easy_setopt(handle, CURLOPT_USE_SSL,
                     IsLoopbackUrl(server.url) ? CURLUSESSL_TRY : CURLUSESSL_ALL);
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "smtp,smtps,imap,imaps");
    if (!server.caFile.empty()) {
        curl_easy_setopt(handle, CURLOPT_CAINFO, server.caFile.c_str());
    }
    if (!server.user.empty()) {
        curl_easy_setopt(handle, CURLOPT_USERNAME, server.user.c_str());
        curl_easy_setopt(handle, CURLOPT_PASSWORD, server.password.c_str());
    }
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, KeepLines);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, &m_lines);
}

CURLcode CurlEasy::Perform() {
    m_lines.clear();
    m_error[0] = '\0';
    return curl_easy_perform(m_handle.get());
}

std::string CurlEasy::LastLine() const {
    std::string text = m_lines;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    const auto start = text.find_last_of('\n');
    return start == std::string::npos ? text : text.substr(start + 1);
}

std::string CurlEasy::Problem(CURLcode code) const {
    std::string problem = m_error[0] != '\0' ? m_error : curl_easy_strerror(code);
    const std::string last = LastLine();
    if (!last.empty() && problem.find(last) == std::string::npos) {
        problem += " (the server said: " + last.substr(0, 300) + ")";
    }
    return problem;
}

long CurlEasy::ResponseCode() const {
    long code = 0;
    curl_easy_getinfo(m_handle.get(), CURLINFO_RESPONSE_CODE, &code);
    return code;
}

}  // namespace zelk::mail
