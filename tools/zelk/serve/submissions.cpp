// The submissions table and its migrations.
#include "serve/submissions.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <limits>
#include <string_view>

namespace zelk::serve {

namespace {

// Step i brings a database from schema version i to i + 1. Steps are never
// changed once released; a new column or table is a new step.
constexpr std::array<std::string_view, 4> kMigrations{
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
    // 3: the order the logs arrived in, the organiser's removals, the counts
    // the pages show (taken from the summaries of the rows there are), the
    // receipts' permanent links; the categories the organiser set, every
    // action of the organiser, and whether a check was published with the
    // lists for the organiser's review.
    R"(ALTER TABLE submissions ADD COLUMN arrival INTEGER NOT NULL DEFAULT 0;
       ALTER TABLE submissions ADD COLUMN removed INTEGER NOT NULL DEFAULT 0;
       ALTER TABLE submissions ADD COLUMN qsos INTEGER NOT NULL DEFAULT 0;
       ALTER TABLE submissions ADD COLUMN claimed_score INTEGER;
       ALTER TABLE submissions ADD COLUMN score INTEGER NOT NULL DEFAULT 0;
       ALTER TABLE submissions ADD COLUMN unreadable_count INTEGER NOT NULL DEFAULT 0;
       ALTER TABLE submissions ADD COLUMN warning_count INTEGER NOT NULL DEFAULT 0;
       ALTER TABLE submissions ADD COLUMN receipt_key TEXT NOT NULL DEFAULT '';
       UPDATE submissions SET arrival = id, receipt_key = lower(hex(randomblob(16)));
       UPDATE submissions SET
           qsos = coalesce(json_extract(summary, '$.qsos'), 0),
           claimed_score = json_extract(summary, '$.claimed_score'),
           score = coalesce(json_extract(summary, '$.score'), 0),
           unreadable_count = coalesce(json_array_length(summary, '$.unreadable_lines'), 0),
           warning_count = coalesce(json_array_length(summary, '$.warnings'), 0)
         WHERE json_valid(summary);
       DROP INDEX submissions_current;
       CREATE UNIQUE INDEX submissions_current ON submissions(call)
           WHERE replaced_by IS NULL AND removed = 0;
       CREATE INDEX submissions_by_call ON submissions(call, arrival);
       CREATE TABLE entry_categories (
           call TEXT PRIMARY KEY,
           category TEXT NOT NULL);
       CREATE TABLE actions (
           id INTEGER PRIMARY KEY,
           at TEXT NOT NULL,
           what TEXT NOT NULL,
           submission INTEGER REFERENCES submissions(id),
           call TEXT NOT NULL,
           value TEXT NOT NULL,
           reason TEXT NOT NULL);
       ALTER TABLE checks ADD COLUMN published_review INTEGER NOT NULL DEFAULT 0;)",
    // 4: where each log came from; the letters out (every one written here
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

// The columns Select reads, in its order; between the two halves the
// summary, or '' where it is not wanted.
constexpr std::string_view kColumnsBefore =
    "SELECT s.id, s.call, s.category, s.email, s.received_at, s.size, s.sha256, s.stored_name, "
    "s.replaced_by, ";
constexpr std::string_view kColumnsAfter =
    ", s.by_organiser, s.arrival, s.removed, s.qsos, s.claimed_score, s.score, "
    "s.unreadable_count, s.warning_count, s.receipt_key, coalesce(e.category, ''), s.source "
    "FROM submissions s LEFT JOIN entry_categories e ON e.call = s.call ";

int64_t NanosecondsNow() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

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
    Statement last = m_connection.Prepare("SELECT coalesce(max(arrival), 0) FROM submissions");
    last.Step();
    m_lastArrival = last.Int(0);
}

int SubmissionStore::CurrentSchemaVersion() {
    return static_cast<int>(kMigrations.size());
}

int SubmissionStore::SchemaVersion() {
    std::lock_guard lock(m_mutex);
    return UserVersion(m_connection);
}

int64_t SubmissionStore::NextArrival() {
    std::lock_guard lock(m_mutex);
    m_lastArrival = std::max(m_lastArrival + 1, NanosecondsNow());
    return m_lastArrival;
}

// The rows not removed of a call form a chain in order of arrival, each
// pointing at the next (replaced_by), the last current. Only a row's
// neighbours in that chain change when it comes or goes, so an upload costs
// the same however many logs its call has.
SubmissionStore::Neighbours SubmissionStore::NeighboursOf(const std::string& call, int64_t arrival,
                                                          int64_t id) {
    Neighbours found;
    Statement before = m_connection.Prepare(
        "SELECT id FROM submissions WHERE call = ?1 AND removed = 0 AND (arrival, id) < (?2, ?3) "
        "ORDER BY arrival DESC, id DESC LIMIT 1");
    before.Bind(1, call).Bind(2, arrival).Bind(3, id);
    if (before.Step()) {
        found.before = before.Int(0);
    }
    Statement after = m_connection.Prepare(
        "SELECT id FROM submissions WHERE call = ?1 AND removed = 0 AND (arrival, id) > (?2, ?3) "
        "ORDER BY arrival, id LIMIT 1");
    after.Bind(1, call).Bind(2, arrival).Bind(3, id);
    if (after.Step()) {
        found.after = after.Int(0);
    }
    return found;
}

void SubmissionStore::PointAt(int64_t id, const std::optional<int64_t>& next) {
    m_connection.Prepare("UPDATE submissions SET replaced_by = ?1 WHERE id = ?2")
        .Bind(1, next)
        .Bind(2, id)
        .Run();
}

Added SubmissionStore::Add(const NewSubmission& submission, const InTransaction& alsoThis) {
    std::lock_guard lock(m_mutex);
    Transaction transaction(m_connection);
    // Its place among the call's rows; of equal arrivals (never given) it
    // goes last.
    const Neighbours place =
        NeighboursOf(submission.call, submission.arrival, std::numeric_limits<int64_t>::max());
    // The row before it steps aside (pointing at itself) until it points at
    // the new one: the index allows one current row a call.
    if (place.before) {
        PointAt(*place.before, *place.before);
    }
    m_connection
        .Prepare(
            "INSERT INTO submissions (call, category, email, received_at, size, sha256, "
            "stored_name, summary, by_organiser, arrival, qsos, claimed_score, score, "
            "unreadable_count, warning_count, receipt_key, replaced_by, source) VALUES (?1, ?2, "
            "?3, "
            "?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18)")
        .Bind(1, submission.call)
        .Bind(2, submission.category)
        .Bind(3, submission.email)
        .Bind(4, submission.receivedAt)
        .Bind(5, submission.size)
        .Bind(6, submission.sha256)
        .Bind(7, submission.storedName)
        .Bind(8, submission.summary)
        .Bind(9, int64_t{submission.byOrganiser ? 1 : 0})
        .Bind(10, submission.arrival)
        .Bind(11, submission.qsos)
        .Bind(12, submission.claimedScore)
        .Bind(13, submission.score)
        .Bind(14, submission.unreadableCount)
        .Bind(15, submission.warningCount)
        .Bind(16, submission.receiptKey)
        .Bind(17, place.after)
        .Bind(18, submission.source)
        .Run();
    Added added;
    added.id = m_connection.LastInsertId();
    if (place.before) {
        PointAt(*place.before, added.id);
    }
    added.replacedBy = place.after;
    if (!place.after) {
        added.replaces = place.before;
    }
    if (alsoThis) {
        alsoThis(m_connection, added);
    }
    transaction.Commit();
    return added;
}

std::vector<Submission> SubmissionStore::Select(const std::string& where, bool summaries) {
    std::lock_guard lock(m_mutex);
    Statement statement =
        m_connection.Prepare(std::string(kColumnsBefore) + (summaries ? "s.summary" : "''") +
                             std::string(kColumnsAfter) + where);
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
        row.arrival = statement.Int(11);
        row.removed = statement.Int(12) != 0;
        row.qsos = statement.Int(13);
        row.claimedScore = statement.OptionalInt(14);
        row.score = statement.Int(15);
        row.unreadableCount = statement.Int(16);
        row.warningCount = statement.Int(17);
        row.receiptKey = statement.Text(18);
        row.categorySet = statement.Text(19);
        row.source = statement.Text(20);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<Submission> SubmissionStore::All() {
    return Select("ORDER BY s.id");
}

std::vector<Submission> SubmissionStore::Current() {
    return Select("WHERE s.replaced_by IS NULL AND s.removed = 0 ORDER BY s.call");
}

std::vector<Submission> SubmissionStore::CurrentWithoutSummaries() {
    return Select("WHERE s.replaced_by IS NULL AND s.removed = 0 ORDER BY s.call", false);
}

std::optional<Submission> SubmissionStore::Find(int64_t id) {
    std::vector<Submission> rows = Select("WHERE s.id = " + std::to_string(id));
    if (rows.empty()) {
        return std::nullopt;
    }
    return std::move(rows.front());
}

void SubmissionStore::InsertAction(const OrganiserAction& action) {
    m_connection
        .Prepare(
            "INSERT INTO actions (at, what, submission, call, value, reason) VALUES (?1, ?2, ?3, "
            "?4, ?5, ?6)")
        .Bind(1, action.at)
        .Bind(2, action.what)
        .Bind(3, action.submission)
        .Bind(4, action.call)
        .Bind(5, action.value)
        .Bind(6, action.reason)
        .Run();
}

std::string SubmissionStore::SetRemoved(int64_t id, bool removed, const std::string& reason,
                                        const std::string& at) {
    std::lock_guard lock(m_mutex);
    Transaction transaction(m_connection);
    Statement row = m_connection.Prepare(
        "SELECT call, removed, arrival, replaced_by FROM submissions WHERE id = ?1");
    row.Bind(1, id);
    if (!row.Step()) {
        return "there is no submission " + std::to_string(id);
    }
    const std::string call = row.Text(0);
    if ((row.Int(1) != 0) == removed) {
        return "submission " + std::to_string(id) + " is " +
               (removed ? "removed already" : "not removed");
    }
    const Neighbours place = NeighboursOf(call, row.Int(2), id);
    if (removed) {
        // Out of the chain: the row before it points at the one after.
        const std::optional<int64_t> next = row.OptionalInt(3);
        m_connection.Prepare("UPDATE submissions SET removed = 1, replaced_by = NULL WHERE id = ?1")
            .Bind(1, id)
            .Run();
        if (place.before) {
            PointAt(*place.before, next);
        }
    } else {
        // Back in its place: the row before it points at it first, so that
        // the call never has two current rows.
        if (place.before) {
            PointAt(*place.before, id);
        }
        m_connection.Prepare("UPDATE submissions SET removed = 0, replaced_by = ?1 WHERE id = ?2")
            .Bind(1, place.after)
            .Bind(2, id)
            .Run();
    }
    InsertAction({0, at, removed ? OrganiserAction::kRemove : OrganiserAction::kRestore, id, call,
                  "", reason});
    transaction.Commit();
    return {};
}

std::string SubmissionStore::Remove(int64_t id, const std::string& reason, const std::string& at) {
    return SetRemoved(id, true, reason, at);
}

std::string SubmissionStore::Restore(int64_t id, const std::string& reason, const std::string& at) {
    return SetRemoved(id, false, reason, at);
}

std::string SubmissionStore::SetCategory(const std::string& call, const std::string& category,
                                         const std::string& reason, const std::string& at) {
    std::lock_guard lock(m_mutex);
    Transaction transaction(m_connection);
    Statement known = m_connection.Prepare("SELECT 1 FROM submissions WHERE call = ?1 LIMIT 1");
    known.Bind(1, call);
    if (!known.Step()) {
        return "no log of that call was received";
    }
    if (category.empty()) {
        m_connection.Prepare("DELETE FROM entry_categories WHERE call = ?1").Bind(1, call).Run();
    } else {
        m_connection
            .Prepare(
                "INSERT INTO entry_categories (call, category) VALUES (?1, ?2) ON CONFLICT(call) "
                "DO UPDATE SET category = excluded.category")
            .Bind(1, call)
            .Bind(2, category)
            .Run();
    }
    InsertAction({0, at, OrganiserAction::kSetCategory, std::nullopt, call, category, reason});
    transaction.Commit();
    return {};
}

void SubmissionStore::RecordAction(const OrganiserAction& action) {
    std::lock_guard lock(m_mutex);
    InsertAction(action);
}

std::vector<OrganiserAction> SubmissionStore::Actions() {
    std::lock_guard lock(m_mutex);
    Statement statement = m_connection.Prepare(
        "SELECT id, at, what, submission, call, value, reason FROM actions ORDER BY id DESC");
    std::vector<OrganiserAction> actions;
    while (statement.Step()) {
        actions.push_back({statement.Int(0), statement.Text(1), statement.Text(2),
                           statement.OptionalInt(3), statement.Text(4), statement.Text(5),
                           statement.Text(6)});
    }
    return actions;
}

std::map<std::string, std::string> SubmissionStore::CategoriesSet() {
    std::lock_guard lock(m_mutex);
    Statement statement = m_connection.Prepare("SELECT call, category FROM entry_categories");
    std::map<std::string, std::string> categories;
    while (statement.Step()) {
        categories.emplace(statement.Text(0), statement.Text(1));
    }
    return categories;
}

int64_t SubmissionStore::RecordCheck(const std::string& runAt, int64_t logs) {
    std::lock_guard lock(m_mutex);
    m_connection.Prepare("INSERT INTO checks (run_at, logs) VALUES (?1, ?2)")
        .Bind(1, runAt)
        .Bind(2, logs)
        .Run();
    return m_connection.LastInsertId();
}

void SubmissionStore::Publish(int64_t checkId, const std::string& at, bool reviewLists) {
    std::lock_guard lock(m_mutex);
    m_connection.Prepare("UPDATE checks SET published_at = ?1, published_review = ?2 WHERE id = ?3")
        .Bind(1, at)
        .Bind(2, int64_t{reviewLists ? 1 : 0})
        .Bind(3, checkId)
        .Run();
}

std::optional<CheckRun> SubmissionStore::SelectCheck(const std::string& where) {
    std::lock_guard lock(m_mutex);
    Statement statement = m_connection.Prepare(
        "SELECT id, run_at, logs, coalesce(published_at, ''), published_review FROM checks " +
        where + " ORDER BY id DESC LIMIT 1");
    if (!statement.Step()) {
        return std::nullopt;
    }
    return CheckRun{statement.Int(0), statement.Text(1), statement.Int(2), statement.Text(3),
                    statement.Int(4) != 0};
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
