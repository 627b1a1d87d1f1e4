// The RAII wrappers over SQLite's C API.
#include "serve/sqlite.h"

#include <sqlite3.h>

namespace zelk::serve {

namespace {

[[noreturn]] void Fail(sqlite3* db, std::string_view what) {
    throw SqliteError(std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

}  // namespace

void Connection::Closer::operator()(sqlite3* db) const {
    sqlite3_close_v2(db);
}

Connection::Connection(const std::filesystem::path& file) {
    sqlite3* db = nullptr;
    const int status = sqlite3_open_v2(
        file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
        nullptr);
    m_db.reset(db);
    if (status != SQLITE_OK) {
        Fail(db, "cannot open the database " + file.string());
    }
    sqlite3_extended_result_codes(db, 1);
    // Another process (sqlite3, zelk adjudicate's reader) may hold a lock a moment.
    sqlite3_busy_timeout(db, 5000);
}

void Connection::Execute(std::string_view sql) {
    const std::string text(sql);
    char* message = nullptr;
    if (sqlite3_exec(m_db.get(), text.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        std::string reason = message ? message : sqlite3_errmsg(m_db.get());
        sqlite3_free(message);
        throw SqliteError(reason + " (in: " + text.substr(0, 60) + ")");
    }
}

Statement Connection::Prepare(std::string_view sql) {
    return Statement(m_db.get(), sql);
}

int64_t Connection::LastInsertId() const {
    return sqlite3_last_insert_rowid(m_db.get());
}

void Statement::Finalizer::operator()(sqlite3_stmt* statement) const {
    sqlite3_finalize(statement);
}

Statement::Statement(sqlite3* db, std::string_view sql) : m_db(db) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement, nullptr) !=
        SQLITE_OK) {
        Fail(db, "cannot prepare " + std::string(sql.substr(0, 60)));
    }
    m_statement.reset(statement);
}

Statement& Statement::Bind(int index, int64_t value) {
    if (sqlite3_bind_int64(m_statement.get(), index, value) != SQLITE_OK) {
        Fail(m_db, "cannot bind a number");
    }
    return *this;
}

Statement& Statement::Bind(int index, std::string_view text) {
    if (sqlite3_bind_text64(m_statement.get(), index, text.data(), text.size(), SQLITE_TRANSIENT,
                            SQLITE_UTF8) != SQLITE_OK) {
        Fail(m_db, "cannot bind a text");
    }
    return *this;
}

Statement& Statement::Bind(int index, const std::optional<int64_t>& value) {
    if (value) {
        return Bind(index, *value);
    }
    if (sqlite3_bind_null(m_statement.get(), index) != SQLITE_OK) {
        Fail(m_db, "cannot bind null");
    }
    return *this;
}

bool Statement::Step() {
    const int status = sqlite3_step(m_statement.get());
    if (status == SQLITE_ROW) {
        return true;
    }
    if (status == SQLITE_DONE) {
        return false;
    }
    Fail(m_db, "a statement failed");
}

void Statement::Run() {
    while (Step()) {
    }
    // Ready to be bound and run again.
    sqlite3_reset(m_statement.get());
}

int64_t Statement::Int(int column) const {
    return sqlite3_column_int64(m_statement.get(), column);
}

std::optional<int64_t> Statement::OptionalInt(int column) const {
    if (sqlite3_column_type(m_statement.get(), column) == SQLITE_NULL) {
        return std::nullopt;
    }
    return Int(column);
}

std::string Statement::Text(int column) const {
    const auto* text = sqlite3_column_text(m_statement.get(), column);
    const int size = sqlite3_column_bytes(m_statement.get(), column);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size))
                : std::string();
}

Transaction::Transaction(Connection& connection) : m_connection(connection) {
    m_connection.Execute("BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
    if (!m_done) {
        try {
            m_connection.Execute("ROLLBACK");
        } catch (const SqliteError&) {
            // SQLite has rolled back on its own after the error that brought us here.
        }
    }
}

void Transaction::Commit() {
    m_connection.Execute("COMMIT");
    m_done = true;
}

}  // namespace zelk::serve
