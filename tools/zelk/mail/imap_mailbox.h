// The contest's mailbox over IMAP, through libcurl: the messages not yet
// taken (those without the keyword ZelkTaken), each fetched whole, and the
// keyword set once a message is stored. The keyword, not \Seen, marks what
// is done: fetching sets \Seen, and a message fetched but not stored before
// a kill must be fetched again; one stored but not yet marked is fetched
// again and known by its digest (mail_intake.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "mail/mail_server.h"

namespace zelk::mail {

inline constexpr const char* kTakenKeyword = "ZelkTaken";

class ImapMailbox {
  public:
    // `server.url` names the mailbox ("imaps://imap.example.org/INBOX");
    // without a mailbox, INBOX.
    explicit ImapMailbox(MailServer server);

    // The UIDs of the messages not yet taken. Throws std::runtime_error
    // with the server's answer when the mailbox cannot be read.
    std::vector<uint64_t> Untaken();

    struct Fetched {
        std::string bytes;  // at most `limit` bytes
        bool tooLarge = false;
    };
    Fetched Fetch(uint64_t uid, std::size_t limit);
    void MarkTaken(uint64_t uid);

  private:
    std::string Command(const std::string& command);

    MailServer m_server;
    std::string m_mailboxUrl;
};

// The UIDs of "* SEARCH 3 5 8" lines, in the server's answer.
std::vector<uint64_t> SearchUids(const std::string& answer);

}  // namespace zelk::mail
