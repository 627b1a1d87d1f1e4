// Taking one message in: its logs through the same intake, checks and
// receipts as an upload (serve's Intake, source "mail"), and one answer
// written to the outbox with the last of them: a receipt for each log, the
// reason for each file refused, a note when the subject names another call.
// Automatic mail is taken but never answered, and an address gets at most
// a few answers an hour (serve/outbox.h).
//
// A message is known by the SHA-256 of its bytes. Each log it holds is
// recorded with its row (mail_parts), and the message itself with its
// answer (mail_messages), each in one transaction: a message taken again
// after a kill at any moment stores no log twice and is answered once.
#pragma once

#include <cstddef>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "serve/app.h"
#include "serve/outbox.h"
#include "serve/sqlite.h"

namespace zelk::mail {

// The largest message read: room for the largest log twice over (base64
// makes a third more) and the rest of a message.
std::size_t MessageLimit(std::size_t maxUploadBytes);

// The mail tables, over a connection of its own to the contest's database.
class MailLedger {
  public:
    explicit MailLedger(const std::filesystem::path& database);

    bool Seen(const std::string& digest);
    std::optional<int64_t> PartTaken(const std::string& digest, int part);

    struct Record {
        std::string digest;
        std::string messageId;
        std::string sender;
        std::string subject;
        std::string outcome;
    };
    // Records the message and writes its answer, in one transaction; false
    // when another run recorded it first (nothing is then written).
    bool Finish(Record record, const std::optional<serve::Letter>& answer, serve::UtcTime now);

  private:
    std::mutex m_mutex;
    serve::Connection m_connection;
};

struct MailOutcome {
    bool duplicate = false;  // taken before: nothing done now
    std::size_t logsTaken = 0;
    bool answered = false;
    std::string summary;  // what became of it, for the log and the mail_messages row
};

// Takes the message. `tooLarge`: `bytes` are only the first MessageLimit
// bytes of a larger message, which is refused. Throws when the disk or the
// database fails: the message is then not taken (the mail server or the
// mailbox keeps it for another try).
MailOutcome TakeMail(std::string_view bytes, serve::App& app, MailLedger& ledger,
                     serve::UtcTime now, const std::optional<std::string>& envelopeSender,
                     bool tooLarge = false);

}  // namespace zelk::mail
