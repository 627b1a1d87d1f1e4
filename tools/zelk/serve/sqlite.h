// SQLite through its C API, owned by RAII: a connection and its prepared
// statements are closed by their destructors, a transaction rolls back
// unless committed. Every failure is a SqliteError naming what SQLite said.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace zelk::serve {

class SqliteError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class Statement;

class Connection {
  public:
    // Opens (and creates) the database file, read and write.
    explicit Connection(const std::filesystem::path& file);

    // Runs one or more statements that return no rows.
    void Execute(std::string_view sql);
    Statement Prepare(std::string_view sql);
    int64_t LastInsertId() const;
    sqlite3* Handle() const { return m_db.get(); }

  private:
    struct Closer {
        void operator()(sqlite3* db) const;
    };
    std::unique_ptr<sqlite3, Closer> m_db;
};

// One prepared statement: bind by position (from 1), Step through the rows,
// read the columns of the current row (from 0).
class Statement {
  public:
    Statement(sqlite3* db, std::string_view sql);

    Statement& Bind(int index, int64_t value);
    Statement& Bind(int index, std::string_view text);
    Statement& Bind(int index, const std::optional<int64_t>& value);
    // True while there is a row to read; false when done.
    bool Step();
    // Runs a statement that returns no rows; it may then be bound and run again.
    void Run();

    int64_t Int(int column) const;
    std::optional<int64_t> OptionalInt(int column) const;
    std::string Text(int column) const;

  private:
    struct Finalizer {
        void operator()(sqlite3_stmt* statement) const;
    };
    sqlite3* m_db;
    std::unique_ptr<sqlite3_stmt, Finalizer> m_statement;
};

// BEGIN IMMEDIATE (the write lock at once, so a busy database is met before
// any work); rolled back by the destructor unless Commit() was called.
class Transaction {
  public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void Commit();

  private:
    Connection& m_connection;
    bool m_done = false;
};

}  // namespace zelk::serve
