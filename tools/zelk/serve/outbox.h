// The letters out, as a table of the contest's database: every letter is
// written here (in the transaction of what caused it) before anyone tries
// to send it, and is marked sent only once the relay has taken it; until
// then it waits for its next try, with the relay's last answer beside it.
// The sending itself (MIME, SMTP) is the mail room's.
#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "serve/serve_settings.h"
#include "serve/sqlite.h"

namespace zelk::serve {

// What a letter is, for the pacing and the limit per address.
enum class LetterKind { kReceipt, kRefusal, kNotice, kReport };
std::string KindName(LetterKind kind);

struct Letter {
    LetterKind kind = LetterKind::kReceipt;
    std::string to;
    std::string subject;    // UTF-8
    std::string body;       // UTF-8 plain text, lines ended by '\n'
    std::string inReplyTo;  // the Message-ID answered, "<...>", or empty
    std::optional<int64_t> submissionId;
};

// Answers one address gets in an hour at most (receipts, refusals, notices;
// check reports are not counted): a robot answering a robot stops here.
inline constexpr int kAnswersPerAddressPerHour = 5;

// Writes the letter to the outbox through `connection` (inside the caller's
// transaction), due at once. An answer beyond the hour's limit for its
// address is not written: false.
bool QueueLetter(Connection& connection, const Letter& letter, UtcTime now);

struct OutboxRow {
    int64_t id = 0;
    std::string createdAt;
    LetterKind kind = LetterKind::kReceipt;
    std::string to;
    std::string subject;
    std::string body;
    std::string messageKey;  // the Message-ID's left part, fixed when written
    std::string inReplyTo;
    std::string status;  // "waiting", "sent", "failed"
    int64_t tries = 0;
    std::string nextTryAt;
    std::string lastAnswer;  // the relay's last answer, or why it could not be reached
    std::string sentAt;
};

struct OutboxCounts {
    int64_t waiting = 0;
    int64_t sent = 0;
    int64_t failed = 0;
};

// The outbox over a connection of its own to the database (which
// SubmissionStore has made and migrated).
class Outbox {
  public:
    explicit Outbox(const std::filesystem::path& database);

    // Writes one letter in a transaction of its own.
    bool Queue(const Letter& letter, UtcTime now);
    // The waiting letter due first at `now`, answers before check reports.
    std::optional<OutboxRow> NextDue(UtcTime now);
    void MarkSent(int64_t id, const std::string& answer, UtcTime now);
    void MarkRetry(int64_t id, const std::string& answer, UtcTime nextTry);
    void MarkFailed(int64_t id, const std::string& answer);

    // Whether a check report for the submission was written since `since`.
    bool HasReport(int64_t submissionId, const std::string& since);

    // The latest `limit` letters, newest first, and the counts of all.
    std::vector<OutboxRow> Latest(int limit);
    OutboxCounts Counts();

  private:
    std::vector<OutboxRow> Select(const std::string& rest, UtcTime now);

    std::mutex m_mutex;
    Connection m_connection;
};

}  // namespace zelk::serve
