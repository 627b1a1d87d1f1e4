// One libcurl easy handle, owned by RAII, set up for a mail server: the
// credentials, TLS required (STARTTLS on smtp:// and imap://) unless the
// server is this machine, the certificates to trust, time limits; and the
// server's answer lines and the error text of the last transfer.
#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>

#include "mail/mail_server.h"

namespace zelk::mail {

class CurlEasy {
  public:
    explicit CurlEasy(const MailServer& server);

    CURL* get() const { return m_handle.get(); }
    // Runs the transfer set up; the server's lines are in Lines() after.
    CURLcode Perform();
    // The server's answer lines of the last transfer, and its last one.
    const std::string& Lines() const { return m_lines; }
    std::string LastLine() const;
    // What went wrong, in words: curl's error text and the server's last line.
    std::string Problem(CURLcode code) const;
    long ResponseCode() const;

  private:
    struct Cleanup {
        void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
    };
    std::unique_ptr<CURL, Cleanup> m_handle;
    std::string m_lines;
    char m_error[CURL_ERROR_SIZE] = {};
};

}  // namespace zelk::mail
