// A thin owner of one SQLite connection: prepared statements that are kept
// and reused, write transactions that take the write lock up front, and
// SQLite's result codes turned into the platform's recoverable errors.
//
// A Database is not thread-safe; the photo store guards its one connection
// with a mutex.
#pragma once

#include "platform/foundation/ErrorOr.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace assets::sql {

using foundation::ErrorOr;

class Database;

// A prepared statement, used by this handle alone while it lives: the
// database's cache hands each of its statements to one handle at a time, and
// a second live handle for the same SQL text gets a statement of its own.
// When the handle goes away the statement is reset, its bindings cleared, and
// it goes back to the cache for the next user. A handle must not outlive its
// database. Binding indexes start at 1, column indexes at 0.
//
// Binding never fails on its own (so binds chain); the first bind SQLite
// refuses is kept and returned by the next step() or run(), which then do not
// run the statement.
class Statement {
public:
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&&) = delete;
    Statement(const Statement&) = delete;
    ~Statement();

    Statement& bind(int index, std::int64_t value);
    Statement& bind(int index, std::string_view text);
    Statement& bindReal(int index, double value);
    Statement& bindBlob(int index, std::span<const std::uint8_t> bytes);
    Statement& bindNull(int index);

    // Advances to the next row: true while there is one, false when done.
    ErrorOr<bool> step();
    // Runs a statement that yields no rows.
    ErrorOr<void> run();

    std::int64_t columnInt64(int column) const;
    double columnDouble(int column) const;
    std::string columnText(int column) const;
    std::string columnBlob(int column) const;
    bool columnIsNull(int column) const;

private:
    friend class Database;
    Statement(Database& database, std::string sql, sqlite3_stmt* statement)
        : database_(&database), sql_(std::move(sql)), statement_(statement) {}
    void keepBindResult(int resultCode, int index);

    Database* database_;
    std::string sql_;  // the cache's key
    sqlite3_stmt* statement_;
    std::optional<foundation::Error> bindError_;
};

class Database {
public:
    // Opens (creating when absent) the database file, with a busy timeout so
    // that concurrent writers in other processes wait instead of failing.
    static ErrorOr<std::unique_ptr<Database>> open(const std::filesystem::path& file,
                                                   std::chrono::milliseconds busyTimeout);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Runs one or more statements that yield no rows.
    ErrorOr<void> execute(std::string_view sql);
    ErrorOr<Statement> prepare(std::string_view sql);
    std::int64_t lastInsertRowId() const;
    // True when the database file has been removed or replaced by another
    // file since it was opened (SQLite keeps it open, so its identity cannot
    // be taken over by a new file meanwhile).
    bool fileHasMoved() const;
    // Rows changed by the last INSERT, UPDATE or DELETE.
    std::int64_t changes() const;
    // The result of a query that yields one integer (for instance a PRAGMA).
    ErrorOr<std::int64_t> queryInteger(std::string_view sql);

    // The error SQLite reports for the last failed call, prefixed by what was
    // being done.
    foundation::Error lastError(std::string_view doing) const;
    static foundation::Error errorFor(int resultCode, std::string message);

private:
    friend class Statement;
    explicit Database(sqlite3* handle) : handle_(handle) {}
    // Takes back a statement whose handle has gone away.
    void giveBack(std::string sql, sqlite3_stmt* statement);

    sqlite3* handle_;
    // One idle prepared statement per SQL text. A statement in use by a
    // handle is not in here, so it can never be handed out twice; of two
    // statements for one text coming back, the second is finalized.
    std::unordered_map<std::string, sqlite3_stmt*> idleStatements_;
    // Statements held by live handles, which must all be gone before the
    // database is.
    std::size_t statementsInUse_ = 0;
};

// A write transaction that takes the database's write lock when it begins
// (BEGIN IMMEDIATE), so that its reads and writes see one consistent state
// and no writer of another process can come in between. It rolls back unless
// committed.
class WriteTransaction {
public:
    static ErrorOr<WriteTransaction> begin(Database& database);
    WriteTransaction(WriteTransaction&& other) noexcept;
    WriteTransaction& operator=(WriteTransaction&&) = delete;
    ~WriteTransaction();

    ErrorOr<void> commit();
    void rollback();

private:
    explicit WriteTransaction(Database& database) : database_(&database) {}
    Database* database_;
};

}  // namespace assets::sql
