#include "platform/assets/SqliteDatabase.h"

#include "platform/foundation/NSLog.h"

#include <sqlite3.h>

#include <cassert>

namespace assets::sql {

using foundation::ErrorCode;
using foundation::makeError;

Statement::Statement(Statement&& other) noexcept
    : database_(other.database_),
      sql_(std::move(other.sql_)),
      statement_(other.statement_),
      bindError_(std::move(other.bindError_)) {
    other.statement_ = nullptr;
}

Statement::~Statement() {
    if (statement_) database_->giveBack(std::move(sql_), statement_);
}

void Statement::keepBindResult(int resultCode, int index) {
    if (resultCode == SQLITE_OK || bindError_) return;
    bindError_ = Database::errorFor(resultCode, "bind parameter " + std::to_string(index) + ": " +
                                                    sqlite3_errmsg(sqlite3_db_handle(statement_)));
}

Statement& Statement::bind(int index, std::int64_t value) {
    keepBindResult(sqlite3_bind_int64(statement_, index, value), index);
    return *this;
}

Statement& Statement::bind(int index, std::string_view text) {
    keepBindResult(sqlite3_bind_text64(statement_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8),
                   index);
    return *this;
}

Statement& Statement::bindReal(int index, double value) {
    keepBindResult(sqlite3_bind_double(statement_, index, value), index);
    return *this;
}

Statement& Statement::bindBlob(int index, std::span<const std::uint8_t> bytes) {
    // A zero-length blob is still a blob, not NULL.
    static const std::uint8_t empty = 0;
    keepBindResult(
        sqlite3_bind_blob64(statement_, index, bytes.empty() ? &empty : bytes.data(), bytes.size(), SQLITE_TRANSIENT),
        index);
    return *this;
}

Statement& Statement::bindNull(int index) {
    keepBindResult(sqlite3_bind_null(statement_, index), index);
    return *this;
}

ErrorOr<bool> Statement::step() {
    if (bindError_) return *bindError_;
    int result = sqlite3_step(statement_);
    if (result == SQLITE_ROW) return true;
    if (result == SQLITE_DONE) return false;
    return database_->lastError("step");
}

ErrorOr<void> Statement::run() {
    TRY(step());
    return {};
}

std::int64_t Statement::columnInt64(int column) const { return sqlite3_column_int64(statement_, column); }

double Statement::columnDouble(int column) const { return sqlite3_column_double(statement_, column); }

std::string Statement::columnText(int column) const {
    const unsigned char* text = sqlite3_column_text(statement_, column);
    int length = sqlite3_column_bytes(statement_, column);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length)) : std::string();
}

std::string Statement::columnBlob(int column) const {
    const void* blob = sqlite3_column_blob(statement_, column);
    int length = sqlite3_column_bytes(statement_, column);
    return blob ? std::string(static_cast<const char*>(blob), static_cast<std::size_t>(length)) : std::string();
}

bool Statement::columnIsNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }

ErrorOr<std::unique_ptr<Database>> Database::open(const std::filesystem::path& file,
                                                  std::chrono::milliseconds busyTimeout) {
    sqlite3* handle = nullptr;
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    int result = sqlite3_open_v2(file.c_str(), &handle, flags, nullptr);
    if (result != SQLITE_OK) {
        std::string message = handle ? sqlite3_errmsg(handle) : sqlite3_errstr(result);
        sqlite3_close_v2(handle);
        return errorFor(result, "cannot open " + file.string() + ": " + message);
    }
    auto database = std::unique_ptr<Database>(new Database(handle));
    if (sqlite3_extended_result_codes(handle, 1) != SQLITE_OK ||
        sqlite3_busy_timeout(handle, static_cast<int>(busyTimeout.count())) != SQLITE_OK)
        return database->lastError("set up the connection to " + file.string());
    return database;
}

Database::~Database() {
    assert(statementsInUse_ == 0 && "a statement handle outlived its database");
    for (auto& [sql, statement] : idleStatements_) sqlite3_finalize(statement);
    sqlite3_close_v2(handle_);
}

void Database::giveBack(std::string sql, sqlite3_stmt* statement) {
    --statementsInUse_;
    // The reset's result repeats the last step's error, which that step
    // already reported.
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    auto [slot, kept] = idleStatements_.try_emplace(std::move(sql), statement);
    if (!kept) sqlite3_finalize(statement);
}

ErrorOr<void> Database::execute(std::string_view sql) {
    std::string text(sql);
    char* message = nullptr;
    int result = sqlite3_exec(handle_, text.c_str(), nullptr, nullptr, &message);
    if (result == SQLITE_OK) return {};
    std::string detail = message ? message : sqlite3_errstr(result);
    sqlite3_free(message);
    return errorFor(result, detail);
}

ErrorOr<Statement> Database::prepare(std::string_view sql) {
    std::string key(sql);
    if (auto idle = idleStatements_.find(key); idle != idleStatements_.end()) {
        sqlite3_stmt* statement = idle->second;
        idleStatements_.erase(idle);
        ++statementsInUse_;
        return Statement(*this, std::move(key), statement);
    }
    sqlite3_stmt* statement = nullptr;
    int result = sqlite3_prepare_v3(handle_, key.data(), static_cast<int>(key.size()), SQLITE_PREPARE_PERSISTENT,
                                    &statement, nullptr);
    if (result != SQLITE_OK) return lastError("prepare");
    // Text that holds no statement (only a comment, say) prepares to nothing.
    if (!statement) return makeError(ErrorCode::InvalidArgument, "no statement in \"" + key + "\"");
    ++statementsInUse_;
    return Statement(*this, std::move(key), statement);
}

std::int64_t Database::lastInsertRowId() const { return sqlite3_last_insert_rowid(handle_); }

bool Database::fileHasMoved() const {
    int moved = 0;
    // A file system that cannot tell answers an error; the index is then
    // taken to be still where it was opened.
    if (sqlite3_file_control(handle_, "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK) return false;
    return moved != 0;
}

std::int64_t Database::changes() const { return sqlite3_changes64(handle_); }

ErrorOr<std::int64_t> Database::queryInteger(std::string_view sql) {
    auto statement = TRY(prepare(sql));
    if (!TRY(statement.step())) return makeError(ErrorCode::NotFound, "no result for " + std::string(sql));
    return statement.columnInt64(0);
}

foundation::Error Database::lastError(std::string_view doing) const {
    return errorFor(sqlite3_extended_errcode(handle_), std::string(doing) + ": " + sqlite3_errmsg(handle_));
}

foundation::Error Database::errorFor(int resultCode, std::string message) {
    switch (resultCode & 0xff) {
    case SQLITE_FULL: return makeError(ErrorCode::NoSpace, std::move(message));
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return makeError(ErrorCode::Unavailable, std::move(message));
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return makeError(ErrorCode::Malformed, std::move(message));
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_AUTH: return makeError(ErrorCode::PermissionDenied, std::move(message));
    case SQLITE_CONSTRAINT:
    case SQLITE_MISMATCH:
    case SQLITE_RANGE: return makeError(ErrorCode::InvalidArgument, std::move(message));
    case SQLITE_TOOBIG: return makeError(ErrorCode::TooLarge, std::move(message));
    default: return makeError(ErrorCode::IOError, std::move(message));
    }
}

ErrorOr<WriteTransaction> WriteTransaction::begin(Database& database) {
    TRY(database.execute("BEGIN IMMEDIATE"));
    return WriteTransaction(database);
}

WriteTransaction::WriteTransaction(WriteTransaction&& other) noexcept : database_(other.database_) {
    other.database_ = nullptr;
}

WriteTransaction::~WriteTransaction() { rollback(); }

ErrorOr<void> WriteTransaction::commit() {
    if (!database_) return makeError(ErrorCode::InvalidArgument, "the transaction has ended");
    auto committed = database_->execute("COMMIT");
    if (!committed) {
        // A failed COMMIT can leave the transaction open; end it here so the
        // write lock is given back.
        rollback();
        return committed.error();
    }
    database_ = nullptr;
    return {};
}

void WriteTransaction::rollback() {
    if (!database_) return;
    // A failed ROLLBACK leaves nothing to do but say so: SQLite has then
    // rolled the transaction back by itself (an I/O error ends it), or the
    // connection is unusable and the next statement reports why.
    if (auto rolledBack = database_->execute("ROLLBACK"); !rolledBack)
        foundation::NSLog("Photo library: rollback failed: %s", rolledBack.error().message);
    database_ = nullptr;
}

}  // namespace assets::sql
