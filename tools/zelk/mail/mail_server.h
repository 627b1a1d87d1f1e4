// A mail server the robot talks to (the relay, the mailbox): its URL, the
// credentials read from a file only its owner may read (never from the
// command line, where every user of the machine sees them), and the TLS
// it insists on. libcurl is started here, once.
#pragma once

#include <optional>
#include <string>
#include <variant>

namespace zelk::mail {

struct MailServer {
    std::string url;  // "smtps://…", "smtp://…" (STARTTLS), "imaps://…/INBOX", "imap://…"
    std::string user;
    std::string password;
    std::string caFile;  // certificates to trust beside the system's; empty: the system's
};

// Reads `file`: the user on its first line, the password on its second.
// Refused (with the reason) when group or others may read or write it, or
// when it cannot be read. An empty path gives no credentials.
std::variant<MailServer, std::string> MailServerFrom(const std::string& url,
                                                     const std::string& credentialsFile,
                                                     const std::string& caFile);

// Whether the URL's host is this machine (127.0.0.0/8, ::1, localhost):
// only there may the connection go without TLS.
bool IsLoopbackUrl(const std::string& url);

// What curl needs set up before any thread uses it.
void StartCurl();

}  // namespace zelk::mail
