// The record of what was received: one row per uploaded log in SQLite (WAL,
// one writer, short transactions, every commit synced), with its call, the
// reading summary and which later log of the same call replaced it; and the
// contest checks run on the current logs, with the one published.
//
// The schema carries its version in PRAGMA user_version and is brought
// forward one step at a time (kMigrations); a database of a newer zelk is
// refused rather than guessed at.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
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
    int64_t size = 0;
    std::string sha256;      // of the bytes, in lower-case hex
    std::string storedName;  // the file's name under logs/
    std::string summary;     // the reading, as JSON (receipt.h)
    bool byOrganiser = false;
    std::string source = "web";  // "web", "organiser" or "mail": the door it came in by
};

struct Submission : NewSubmission {
    int64_t id = 0;
    std::optional<int64_t> replacedBy;

    bool IsCurrent() const { return !replacedBy.has_value(); }
};

// What Add committed: the new row's id, and the row of the same call it
// replaced.
struct Added {
    int64_t id = 0;
    std::optional<int64_t> replaces;
};

struct CheckRun {
    int64_t id = 0;
    std::string runAt;
    int64_t logs = 0;
    std::string publishedAt;  // empty until published
};

class SubmissionStore {
  public:
    // Opens or creates the database and brings its schema to the current
    // version. Throws SqliteError, or std::runtime_error for a schema newer
    // than this zelk knows.
    explicit SubmissionStore(const std::filesystem::path& file);

    static int CurrentSchemaVersion();
    int SchemaVersion();

    // Run inside Add's transaction, after the row is in: what must be
    // committed with the log or not at all (the letters it causes, the mail
    // it came in). Throwing rolls the whole back.
    using InTransaction = std::function<void(Connection&, const Added&)>;

    // In one transaction: inserts the row, marks the current row of the
    // same call as replaced by it, and runs `alsoThis`. Returns once the
    // commit is on disk.
    Added Add(const NewSubmission& submission, const InTransaction& alsoThis = {});

    std::vector<Submission> All();      // in order of id
    std::vector<Submission> Current();  // the latest row of each call, in order of call
    std::optional<Submission> Find(int64_t id);

    int64_t RecordCheck(const std::string& runAt, int64_t logs);
    void Publish(int64_t checkId, const std::string& at);
    std::optional<CheckRun> LastCheck();
    std::optional<CheckRun> PublishedCheck();

    // PRAGMA integrity_check's answer: "ok", or the problems it found.
    std::string IntegrityCheck();

  private:
    std::vector<Submission> Select(const std::string& where);
    std::optional<CheckRun> SelectCheck(const std::string& where);

    std::mutex m_mutex;
    Connection m_connection;
};

}  // namespace zelk::serve
