// The submissions table and its migrations.
#include "serve/submissions.h"

#include <array>
#include <string_view>

namespace zelk::serve {

namespace {

// Step i brings a database from schema version i to i + 1. Steps are never
// changed once released; a new column or table is a new step.
constexpr std::array<std::string_view, 3> kMigrations{
    // 1: the submissions; at most one current (not replaced) row per call.
    R"(CREATE TABLE submissions (
           id INTEGER PRIMARY KEY,
           call TEXT NOT NULL,
           category TEXT NOT NULL,
           email TEXT NOT NULL,
           received_at TEXT NOT NULL,
           size INTEGER NOT NULL,
           sha256 TEXT NOT NULL,
           stored_name TEXT NOT NULL,
           replaced_by INTEGER REFERENCES submissions(id),
           summary TEXT NOT NULL);
       CREATE UNIQUE INDEX submissions_current ON submissions(call) WHERE replaced_by IS NULL;)",
    // 2: logs the organiser added (after the deadline too), and the checks run.
    R"(ALTER TABLE submissions ADD COLUMN by_organiser INTEGER NOT NULL DEFAULT 0;
       CREATE TABLE checks (
           id INTEGER PRIMARY KEY,
           run_at TEXT NOT NULL,
           logs INTEGER NOT NULL,
           published_at TEXT);)",
    // 3: where each log came from; the letters out (every one written here
    // before it is sent); the mail taken in, and which of a message's logs
    // are stored, so that a message fetched again is never taken twice.
    R"(ALTER TABLE submissions ADD COLUMN source TEXT NOT NULL DEFAULT 'web';
       UPDATE submissions SET source = 'organiser' WHERE by_organiser = 1;
       CREATE TABLE outbox (
           id INTEGER PRIMARY KEY,
           created_at TEXT NOT NULL,
           kind TEXT NOT NULL,
           recipient TEXT NOT NULL,
           subject TEXT NOT NULL,
           body TEXT NOT NULL,
           message_key TEXT NOT NULL,
           in_reply_to TEXT NOT NULL,
           submission_id INTEGER REFERENCES submissions(id),
           status TEXT NOT NULL DEFAULT 'waiting',
           tries INTEGER NOT NULL DEFAULT 0,
           next_try_at TEXT NOT NULL,
           last_answer TEXT NOT NULL DEFAULT '',
           sent_at TEXT);
       CREATE INDEX outbox_waiting ON outbox(next_try_at) WHERE status = 'waiting';
       CREATE INDEX outbox_recipient ON outbox(recipient, created_at);
       CREATE TABLE mail_messages (
           id INTEGER PRIMARY KEY,
           digest TEXT NOT NULL UNIQUE,
           message_id TEXT NOT NULL,
           sender TEXT NOT NULL,
           subject TEXT NOT NULL,
           received_at TEXT NOT NULL,
           outcome TEXT NOT NULL);
       CREATE TABLE mail_parts (
           digest TEXT NOT NULL,
           part INTEGER NOT NULL,
           submission_id INTEGER NOT NULL REFERENCES submissions(id),
           PRIMARY KEY (digest, part));)",
};

constexpr const char* kColumns =
    "SELECT id, call, category, email, received_at, size, sha256, stored_name, replaced_by, "
    "summary, by_organiser, source FROM submissions ";

int UserVersion(Connection& connection) {
    Statement statement = connection.Prepare("PRAGMA user_version");
    statement.Step();
    return static_cast<int>(statement.Int(0));
}

}  // namespace

SubmissionStore::SubmissionStore(const std::filesystem::path& file) : m_connection(file) {
    // WAL: readers never wait for the writer; FULL: a commit is synced
    // before it returns, so a receipt is never given for a row a crash or
    // a power cut could take back.
    m_connection.Execute("PRAGMA journal_mode = WAL");
    m_connection.Execute("PRAGMA synchronous = FULL");
    m_connection.Execute("PRAGMA foreign_keys = ON");
    const int version = UserVersion(m_connection);
    if (version > CurrentSchemaVersion()) {
        throw std::runtime_error(file.string() + " has schema version " + std::to_string(version) +
                                 ", made by a newer zelk; this one knows up to version " +
                                 std::to_string(CurrentSchemaVersion()));
    }
    for (int step = version; step < CurrentSchemaVersion(); ++step) {
        Transaction transaction(m_connection);
        m_connection.Execute(kMigrations[static_cast<std::size_t>(step)]);
        m_connection.Execute("PRAGMA user_version = " + std::to_string(step + 1));
        transaction.Commit();
    }
}

int SubmissionStore::CurrentSchemaVersion() {
    return static_cast<int>(kMigrations.size());
}

int SubmissionStore::SchemaVersion() {
    std::lock_guard lock(m_mutex);
    return UserVersion(m_connection);
}

Added SubmissionStore::Add(const NewSubmission& submission, const InTransaction& alsoThis) {
    std::lock_guard lock(m_mutex);
    Transaction transaction(m_connection);
    Added added;
    {
        Statement previous = m_connection.Prepare(
            "SELECT id FROM submissions WHERE call = ?1 AND replaced_by IS NULL");
        previous.Bind(1, submission.call);
        if (previous.Step()) {
            added.replaces = previous.Int(0);
        }
    }
    Statement insert = m_connection.Prepare(
        "INSERT INTO submissions (call, category, email, received_at, size, sha256, stored_name, "
        "summary, by_organiser, source) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
    // The old row steps aside first (pointing at itself for a moment): the
    // index allows one current row a call.
    if (added.replaces) {
        m_connection.Prepare("UPDATE submissions SET replaced_by = id WHERE id = ?1")
            .Bind(1, *added.replaces)
            .Run();
    }
    insert.Bind(1, submission.call)
        .Bind(2, submission.category)
        .Bind(3, submission.email)
        .Bind(4, submission.receivedAt)
        .Bind(5, submission.size)
        .Bind(6, submission.sha256)
        .Bind(7, submission.storedName)
        .Bind(8, submission.summary)
        .Bind(9, int64_t{submission.byOrganiser ? 1 : 0})
        .Bind(10, submission.source)
        .Run();
    added.id = m_connection.LastInsertId();
    if (added.replaces) {
        m_connection.Prepare("UPDATE submissions SET replaced_by = ?1 WHERE id = ?2")
            .Bind(1, added.id)
            .Bind(2, *added.replaces)
            .Run();
    }
    if (alsoThis) {
        alsoThis(m_connection, added);
    }
    transaction.Commit();
    return added;
}

std::vector<Submission> SubmissionStore::Select(const std::string& where) {
    std::lock_guard lock(m_mutex);
    Statement statement = m_connection.Prepare(kColumns + where);
    std::vector<Submission> rows;
    while (statement.Step()) {
        Submission row;
        row.id = statement.Int(0);
        row.call = statement.Text(1);
        row.category = statement.Text(2);
        row.email = statement.Text(3);
        row.receivedAt = statement.Text(4);
        row.size = statement.Int(5);
        row.sha256 = statement.Text(6);
        row.storedName = statement.Text(7);
        row.replacedBy = statement.OptionalInt(8);
        row.summary = statement.Text(9);
        row.byOrganiser = statement.Int(10) != 0;
        row.source = statement.Text(11);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<Submission> SubmissionStore::All() {
    return Select("ORDER BY id");
}

std::vector<Submission> SubmissionStore::Current() {
    return Select("WHERE replaced_by IS NULL ORDER BY call");
}

std::optional<Submission> SubmissionStore::Find(int64_t id) {
    std::vector<Submission> rows = Select("WHERE id = " + std::to_string(id));
    if (rows.empty()) {
        return std::nullopt;
    }
    return std::move(rows.front());
}

int64_t SubmissionStore::RecordCheck(const std::string& runAt, int64_t logs) {
    std::lock_guard lock(m_mutex);
    m_connection.Prepare("INSERT INTO checks (run_at, logs) VALUES (?1, ?2)")
        .Bind(1, runAt)
        .Bind(2, logs)
        .Run();
    return m_connection.LastInsertId();
}

void SubmissionStore::Publish(int64_t checkId, const std::string& at) {
    std::lock_guard lock(m_mutex);
    m_connection.Prepare("UPDATE checks SET published_at = ?1 WHERE id = ?2")
        .Bind(1, at)
        .Bind(2, checkId)
        .Run();
}

std::optional<CheckRun> SubmissionStore::SelectCheck(const std::string& where) {
    std::lock_guard lock(m_mutex);
    Statement statement =
        m_connection.Prepare("SELECT id, run_at, logs, coalesce(published_at, '') FROM checks " +
                             where + " ORDER BY id DESC LIMIT 1");
    if (!statement.Step()) {
        return std::nullopt;
    }
    return CheckRun{statement.Int(0), statement.Text(1), statement.Int(2), statement.Text(3)};
}

std::optional<CheckRun> SubmissionStore::LastCheck() {
    return SelectCheck("");
}

std::optional<CheckRun> SubmissionStore::PublishedCheck() {
    return SelectCheck("WHERE published_at IS NOT NULL");
}

std::string SubmissionStore::IntegrityCheck() {
    std::lock_guard lock(m_mutex);
    Statement statement = m_connection.Prepare("PRAGMA integrity_check");
    std::string answer;
    while (statement.Step()) {
        answer += (answer.empty() ? "" : "; ") + statement.Text(0);
    }
    return answer;
}

}  // namespace zelk::serve
