// The contest's mail relay over SMTP, through libcurl: one letter, one
// envelope sender, one recipient. The relay's answer decides: taken (250
// after the message), refused for good (a 5xx for the address or the
// message), or to be tried again (no connection, a 4xx, a cut-off, an
// authentication the organiser must fix).
#pragma once

#include <string>

#include "mail/mail_server.h"

namespace zelk::mail {

struct SendResult {
    enum class Outcome { kAccepted, kRefused, kTryAgain };
    Outcome outcome = Outcome::kTryAgain;
    std::string answer;  // the relay's last line, or why it could not be reached
};

class SmtpRelay {
  public:
    explicit SmtpRelay(MailServer server) : m_server(std::move(server)) {}

    SendResult Send(const std::string& from, const std::string& to, const std::string& message);

  private:
    MailServer m_server;
};

}  // namespace zelk::mail
