// The mailbox through libcurl's IMAP.
#include "mail/imap_mailbox.h"

#include <charconv>
#include <sstream>
#include <stdexcept>

#include "mail/curl_easy.h"

namespace zelk::mail {

namespace {

size_t Keep(char* data, size_t size, size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

struct Bounded {
    std::string bytes;
    std::size_t limit = 0;
    bool over = false;
};

// Bytes beyond the limit are counted away, not kept: the message is still
// read to its end so that the connection stays in step.
size_t KeepBounded(char* data, size_t size, size_t count, void* target) {
    auto* bounded = static_cast<Bounded*>(target);
    const std::size_t bytes = size * count;
    const std::size_t room = bounded->limit - std::min(bounded->limit, bounded->bytes.size());
    bounded->bytes.append(data, std::min(room, bytes));
    bounded->over = bounded->over || bytes > room;
    return bytes;
}

}  // namespace

std::vector<uint64_t> SearchUids(const std::string& answer) {
    std::vector<uint64_t> uids;
    std::istringstream lines(answer);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("* SEARCH", 0) != 0) {
            continue;
        }
        std::istringstream words(line.substr(8));
        std::string word;
        while (words >> word) {
            uint64_t uid = 0;
            const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), uid);
            if (error == std::errc() && end == word.data() + word.size() && uid != 0) {
                uids.push_back(uid);
            }
        }
    }
    return uids;
}

ImapMailbox::ImapMailbox(MailServer server) : m_server(std::move(server)) {
    m_mailboxUrl = m_server.url;
    const auto hostStart = m_mailboxUrl.find("://");
    const auto path = m_mailboxUrl.find('/', hostStart == std::string::npos ? 0 : hostStart + 3);
    if (path == std::string::npos) {
        m_mailboxUrl += "/INBOX";
    } else if (path + 1 == m_mailboxUrl.size()) {
        m_mailboxUrl += "INBOX";
    }
    while (m_mailboxUrl.back() == '/') {
        m_mailboxUrl.pop_back();
    }
}

std::string ImapMailbox::Command(const std::string& command) {
    CurlEasy curl(m_server);
    std::string answer;
    curl_easy_setopt(curl.get(), CURLOPT_URL, m_mailboxUrl.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_CUSTOMREQUEST, command.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, Keep);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &answer);
    const CURLcode code = curl.Perform();
    if (code != CURLE_OK) {
        throw std::runtime_error(m_mailboxUrl + ": " + command + ": " + curl.Problem(code));
    }
    return answer;
}

std::vector<uint64_t> ImapMailbox::Untaken() {
    return SearchUids(Command(std::string("UID SEARCH NOT KEYWORD ") + kTakenKeyword));
}

ImapMailbox::Fetched ImapMailbox::Fetch(uint64_t uid, std::size_t limit) {
    CurlEasy curl(m_server);
    Bounded bounded;
    bounded.limit = limit;
    const std::string url = m_mailboxUrl + "/;UID=" + std::to_string(uid);
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, KeepBounded);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &bounded);
    const CURLcode code = curl.Perform();
    if (code != CURLE_OK) {
        throw std::runtime_error(m_mailboxUrl + ": message " + std::to_string(uid) +
                                 " cannot be fetched: " + curl.Problem(code));
    }
    return {std::move(bounded.bytes), bounded.over};
}

void ImapMailbox::MarkTaken(uint64_t uid) {
    Command("UID STORE " + std::to_string(uid) + " +FLAGS.SILENT (" + kTakenKeyword + ")");
}

}  // namespace zelk::mail
