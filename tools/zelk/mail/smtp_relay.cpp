// One letter to the relay with libcurl.
#include "mail/smtp_relay.h"

#include <cstring>

#include "mail/curl_easy.h"

namespace zelk::mail {

namespace {

struct Reading {
    const std::string* message;
    std::size_t offset = 0;
};

size_t ReadMessage(char* buffer, size_t size, size_t count, void* source) {
    auto* reading = static_cast<Reading*>(source);
    const std::size_t left = reading->message->size() - reading->offset;
    const std::size_t bytes = std::min(left, size * count);
    std::memcpy(buffer, reading->message->data() + reading->offset, bytes);
    reading->offset += bytes;
    return bytes;
}

// 5xx is for good, but for authentication (530, 534, 535), which the
// organiser can put right while the letter waits.
bool RefusedForGood(long code) {
    return code >= 500 && code < 600 && code != 530 && code != 534 && code != 535;
}

}  // namespace

SendResult SmtpRelay::Send(const std::string& from, const std::string& to,
                           const std::string& message) {
    CurlEasy curl(m_server);
    CURL* handle = curl.get();
    Reading reading{&message};
    const std::string envelopeFrom = "<" + from + ">";
    const std::string recipient = "<" + to + ">";
    struct curl_slist* recipients = curl_slist_append(nullptr, recipient.c_str());
    curl_easy_setopt(handle, CURLOPT_URL, m_server.url.c_str());
    curl_easy_setopt(handle, CURLOPT_MAIL_FROM, envelopeFrom.c_str());
    curl_easy_setopt(handle, CURLOPT_MAIL_RCPT, recipients);
    curl_easy_setopt(handle, CURLOPT_READFUNCTION, ReadMessage);
    curl_easy_setopt(handle, CURLOPT_READDATA, &reading);
    curl_easy_setopt(handle, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(handle, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(message.size()));
    const CURLcode code = curl.Perform();
    curl_slist_free_all(recipients);

    SendResult result;
    if (code == CURLE_OK) {
        result.outcome = SendResult::Outcome::kAccepted;
        result.answer = curl.LastLine();
        return result;
    }
    result.answer = curl.Problem(code);
    result.outcome = RefusedForGood(curl.ResponseCode()) ? SendResult::Outcome::kRefused
                                                         : SendResult::Outcome::kTryAgain;
    return result;
}

}  // namespace zelk::mail
