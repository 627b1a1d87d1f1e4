// The outbox table.
#include "serve/outbox.h"

#include "serve/security.h"

namespace zelk::serve {

namespace {

constexpr const char* kColumns =
    "SELECT id, created_at, kind, recipient, subject, body, message_key, in_reply_to, status, "
    "tries, next_try_at, last_answer, coalesce(sent_at, '') FROM outbox ";

LetterKind KindFrom(const std::string& name) {
    if (name == "refusal") {
        return LetterKind::kRefusal;
    }
    if (name == "notice") {
        return LetterKind::kNotice;
    }
    if (name == "report") {
        return LetterKind::kReport;
    }
    return LetterKind::kReceipt;
}

}  // namespace

std::string KindName(LetterKind kind) {
    switch (kind) {
        case LetterKind::kReceipt:
            return "receipt";
        case LetterKind::kRefusal:
            return "refusal";
        case LetterKind::kNotice:
            return "notice";
        case LetterKind::kReport:
            return "report";
    }
    return "receipt";
}

bool QueueLetter(Connection& connection, const Letter& letter, UtcTime now) {
    if (letter.kind != LetterKind::kReport) {
        Statement recent = connection.Prepare(
            "SELECT count(*) FROM outbox WHERE recipient = ?1 COLLATE NOCASE AND kind != 'report' "
            "AND created_at > ?2");
        recent.Bind(1, letter.to).Bind(2, UtcText(now - std::chrono::hours(1)));
        recent.Step();
        if (recent.Int(0) >= kAnswersPerAddressPerHour) {
            return false;
        }
    }
    connection
        .Prepare(
            "INSERT INTO outbox (created_at, kind, recipient, subject, body, message_key, "
            "in_reply_to, submission_id, next_try_at) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?1)")
        .Bind(1, UtcText(now))
        .Bind(2, KindName(letter.kind))
        .Bind(3, letter.to)
        .Bind(4, letter.subject)
        .Bind(5, letter.body)
        .Bind(6, RandomHex(16))
        .Bind(7, letter.inReplyTo)
        .Bind(8, letter.submissionId)
        .Run();
    return true;
}

Outbox::Outbox(const std::filesystem::path& database) : m_connection(database) {}

bool Outbox::Queue(const Letter& letter, UtcTime now) {
    std::lock_guard lock(m_mutex);
    Transaction transaction(m_connection);
    const bool queued = QueueLetter(m_connection, letter, now);
    transaction.Commit();
    return queued;
}

std::vector<OutboxRow> Outbox::Select(const std::string& rest, UtcTime now) {
    Statement statement = m_connection.Prepare(kColumns + rest);
    if (rest.find("?1") != std::string::npos) {
        statement.Bind(1, UtcText(now));
    }
    std::vector<OutboxRow> rows;
    while (statement.Step()) {
        OutboxRow row;
        row.id = statement.Int(0);
        row.createdAt = statement.Text(1);
        row.kind = KindFrom(statement.Text(2));
        row.to = statement.Text(3);
        row.subject = statement.Text(4);
        row.body = statement.Text(5);
        row.messageKey = statement.Text(6);
        row.inReplyTo = statement.Text(7);
        row.status = statement.Text(8);
        row.tries = statement.Int(9);
        row.nextTryAt = statement.Text(10);
        row.lastAnswer = statement.Text(11);
        row.sentAt = statement.Text(12);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::optional<OutboxRow> Outbox::NextDue(UtcTime now) {
    std::lock_guard lock(m_mutex);
    auto rows = Select(
        "WHERE status = 'waiting' AND next_try_at <= ?1 ORDER BY kind = 'report', next_try_at, id "
        "LIMIT 1",
        now);
    if (rows.empty()) {
        return std::nullopt;
    }
    return std::move(rows.front());
}

void Outbox::MarkSent(int64_t id, const std::string& answer, UtcTime now) {
    std::lock_guard lock(m_mutex);
    m_connection
        .Prepare(
            "UPDATE outbox SET status = 'sent', tries = tries + 1, last_answer = ?1, sent_at = ?2 "
            "WHERE id = ?3")
        .Bind(1, answer)
        .Bind(2, UtcText(now))
        .Bind(3, id)
        .Run();
}

void Outbox::MarkRetry(int64_t id, const std::string& answer, UtcTime nextTry) {
    std::lock_guard lock(m_mutex);
    m_connection
        .Prepare(
            "UPDATE outbox SET tries = tries + 1, last_answer = ?1, next_try_at = ?2 WHERE id = ?3")
        .Bind(1, answer)
        .Bind(2, UtcText(nextTry))
        .Bind(3, id)
        .Run();
}

void Outbox::MarkFailed(int64_t id, const std::string& answer) {
    std::lock_guard lock(m_mutex);
    m_connection
        .Prepare(
            "UPDATE outbox SET status = 'failed', tries = tries + 1, last_answer = ?1 WHERE id = "
            "?2")
        .Bind(1, answer)
        .Bind(2, id)
        .Run();
}

bool Outbox::HasReport(int64_t submissionId, const std::string& since) {
    std::lock_guard lock(m_mutex);
    Statement statement = m_connection.Prepare(
        "SELECT count(*) FROM outbox WHERE kind = 'report' AND submission_id = ?1 AND "
        "created_at >= ?2");
    statement.Bind(1, submissionId).Bind(2, since);
    statement.Step();
    return statement.Int(0) != 0;
}

std::vector<OutboxRow> Outbox::Latest(int limit) {
    std::lock_guard lock(m_mutex);
    return Select("ORDER BY id DESC LIMIT " + std::to_string(limit), UtcTime{});
}

OutboxCounts Outbox::Counts() {
    std::lock_guard lock(m_mutex);
    Statement statement = m_connection.Prepare(
        "SELECT coalesce(sum(status = 'waiting'), 0), coalesce(sum(status = 'sent'), 0), "
        "coalesce(sum(status = 'failed'), 0) FROM outbox");
    statement.Step();
    return {statement.Int(0), statement.Int(1), statement.Int(2)};
}

}  // namespace zelk::serve
