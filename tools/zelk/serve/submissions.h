// The record of what was received: one row per uploaded log in SQLite (WAL,
// one writer, short transactions, every commit synced), with its call, the
// reading summary, the counts the pages show, and which later log of the
// same call replaced it; the organiser's removals and categories, and every
// action of the organiser; and the contest checks run on the current logs,
// with the one published.
//
// The current log of a call is the one, of those not removed, whose body
// arrived last (NextArrival), whatever order the logs were read and stored
// in. Nothing is ever deleted: a removed log keeps its row and its file.
//
// The schema carries its version in PRAGMA user_version and is brought
// forward one step at a time (kMigrations); a database of a newer zelk is
// refused rather than guessed at.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "serve/sqlite.h"

namespace zelk::serve {

struct NewSubmission {
    std::string call;  // in capitals
    std::string category;
    std::string email;       // empty when none was given
    std::string receivedAt;  // UTC, "2024-05-19T12:34:56Z"
    int64_t arrival = 0;     // when its body was complete, as NextArrival gave it
    int64_t size = 0;
    std::string sha256;      // of the bytes, in lower-case hex
    std::string storedName;  // the file's name under logs/
    std::string summary;     // the reading, as JSON (receipt.h)
    bool byOrganiser = false;
    // What the pages show of the reading, in columns of their own so that no
    // list reads a summary.
    int64_t qsos = 0;
    std::optional<int64_t> claimedScore;
    int64_t score = 0;
    int64_t unreadableCount = 0;
    int64_t warningCount = 0;
    std::string receiptKey;      // the secret of the receipt's permanent link
    std::string source = "web";  // "web", "organiser" or "mail": the door it came in by
};

struct Submission : NewSubmission {
    int64_t id = 0;
    std::optional<int64_t> replacedBy;
    bool removed = false;
    std::string categorySet;  // the category the organiser set for the call; empty: none

    bool IsCurrent() const { return !replacedBy.has_value() && !removed; }
    bool HasProblems() const { return unreadableCount > 0 || warningCount > 0; }
    // The category the check takes: the organiser's, else the header's.
    const std::string& Category() const { return categorySet.empty() ? category : categorySet; }
};

// What Add committed: the new row's id; the row of the same call it
// replaced, or the later one of the call that had arrived before it and
// stays current.
struct Added {
    int64_t id = 0;
    std::optional<int64_t> replaces;
    std::optional<int64_t> replacedBy;
};

// One thing the organiser did, kept for good.
struct OrganiserAction {
    int64_t id = 0;
    std::string at;    // UTC, as receivedAt
    std::string what;  // kRemove, kRestore, kSetCategory, kNewToken, kMailReports
    std::optional<int64_t> submission;
    std::string call;
    std::string value;  // the category set ("" for the header's again), the reports mailed
    std::string reason;

    static constexpr const char* kRemove = "remove";
    static constexpr const char* kRestore = "restore";
    static constexpr const char* kSetCategory = "category";
    static constexpr const char* kNewToken = "new token";
    static constexpr const char* kMailReports = "check reports";
};

struct CheckRun {
    int64_t id = 0;
    std::string runAt;
    int64_t logs = 0;
    std::string publishedAt;       // empty until published
    bool publishedReview = false;  // published with the lists for the organiser's review
};

class SubmissionStore {
  public:
    // Opens or creates the database and brings its schema to the current
    // version. Throws SqliteError, or std::runtime_error for a schema newer
    // than this zelk knows.
    explicit SubmissionStore(const std::filesystem::path& file);

    static int CurrentSchemaVersion();
    int SchemaVersion();

    // The order of an upload whose body is complete now: larger than any
    // given before, in this run or an earlier one.
    int64_t NextArrival();

    // Run inside Add's transaction, after the row is in: what must be
    // committed with the log or not at all (the letters it causes, the mail
    // it came in). Throwing rolls the whole back.
    using InTransaction = std::function<void(Connection&, const Added&)>;

    // In one transaction: inserts the row, makes the call's latest arrived
    // row its current one, and runs `alsoThis`. Returns once the commit is
    // on disk.
    Added Add(const NewSubmission& submission, const InTransaction& alsoThis = {});

    std::vector<Submission> All();      // in order of id
    std::vector<Submission> Current();  // the current row of each call, in order of call
    // The current rows without their summaries, for the public list.
    std::vector<Submission> CurrentWithoutSummaries();
    std::optional<Submission> Find(int64_t id);

    // The organiser's hands; each returns empty when done and kept with its
    // reason, else why nothing was changed.
    std::string Remove(int64_t id, const std::string& reason, const std::string& at);
    std::string Restore(int64_t id, const std::string& reason, const std::string& at);
    // `category` empty: the header's category again.
    std::string SetCategory(const std::string& call, const std::string& category,
                            const std::string& reason, const std::string& at);
    void RecordAction(const OrganiserAction& action);
    std::vector<OrganiserAction> Actions();  // the latest first
    // The categories the organiser set, by call.
    std::map<std::string, std::string> CategoriesSet();

    int64_t RecordCheck(const std::string& runAt, int64_t logs);
    void Publish(int64_t checkId, const std::string& at, bool reviewLists);
    std::optional<CheckRun> LastCheck();
    std::optional<CheckRun> PublishedCheck();

    // PRAGMA integrity_check's answer: "ok", or the problems it found.
    std::string IntegrityCheck();

  private:
    std::vector<Submission> Select(const std::string& where, bool summaries = true);
    std::optional<CheckRun> SelectCheck(const std::string& where);
    std::string SetRemoved(int64_t id, bool removed, const std::string& reason,
                           const std::string& at);
    // The rows not removed of `call` just before and just after (arrival, id).
    struct Neighbours {
        std::optional<int64_t> before;
        std::optional<int64_t> after;
    };
    Neighbours NeighboursOf(const std::string& call, int64_t arrival, int64_t id);
    void PointAt(int64_t id, const std::optional<int64_t>& next);
    void InsertAction(const OrganiserAction& action);

    std::mutex m_mutex;
    Connection m_connection;
    int64_t m_lastArrival = 0;
};

}  // namespace zelk::serve
