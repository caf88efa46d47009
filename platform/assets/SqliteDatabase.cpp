#include "platform/assets/SqliteDatabase.h"

#include <sqlite3.h>

namespace assets::sql {

using foundation::ErrorCode;
using foundation::makeError;

Statement::Statement(Statement&& other) noexcept : database_(other.database_), statement_(other.statement_) {
    other.statement_ = nullptr;
}

Statement::~Statement() {
    if (!statement_) return;
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

Statement& Statement::bind(int index, std::int64_t value) {
    sqlite3_bind_int64(statement_, index, value);
    return *this;
}

Statement& Statement::bind(int index, std::string_view text) {
    sqlite3_bind_text64(statement_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    return *this;
}

Statement& Statement::bindReal(int index, double value) {
    sqlite3_bind_double(statement_, index, value);
    return *this;
}

Statement& Statement::bindBlob(int index, std::span<const std::uint8_t> bytes) {
    // A zero-length blob is still a blob, not NULL.
    static const std::uint8_t empty = 0;
    sqlite3_bind_blob64(statement_, index, bytes.empty() ? &empty : bytes.data(), bytes.size(), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bindNull(int index) {
    sqlite3_bind_null(statement_, index);
    return *this;
}

ErrorOr<bool> Statement::step() {
    int result = sqlite3_step(statement_);
    if (result == SQLITE_ROW) return true;
    if (result == SQLITE_DONE) return false;
    return database_->lastError("step");
}

ErrorOr<void> Statement::run() {
    auto stepped = step();
    if (!stepped) return stepped.error();
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
    sqlite3_extended_result_codes(handle, 1);
    sqlite3_busy_timeout(handle, static_cast<int>(busyTimeout.count()));
    return std::unique_ptr<Database>(new Database(handle));
}

Database::~Database() {
    for (auto& [sql, statement] : statements_) sqlite3_finalize(statement);
    sqlite3_close_v2(handle_);
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
    auto it = statements_.find(key);
    if (it == statements_.end()) {
        sqlite3_stmt* statement = nullptr;
        int result = sqlite3_prepare_v3(handle_, key.data(), static_cast<int>(key.size()), SQLITE_PREPARE_PERSISTENT,
                                        &statement, nullptr);
        if (result != SQLITE_OK) return lastError("prepare");
        it = statements_.emplace(std::move(key), statement).first;
    }
    return Statement(*this, it->second);
}

std::int64_t Database::lastInsertRowId() const { return sqlite3_last_insert_rowid(handle_); }

bool Database::fileHasMoved() const {
    int moved = 0;
    if (sqlite3_file_control(handle_, "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK) return false;
    return moved != 0;
}

std::int64_t Database::changes() const { return sqlite3_changes64(handle_); }

ErrorOr<std::int64_t> Database::queryInteger(std::string_view sql) {
    auto statement = prepare(sql);
    if (!statement) return statement.error();
    auto row = statement->step();
    if (!row) return row.error();
    if (!row.value()) return makeError(ErrorCode::NotFound, "no result for " + std::string(sql));
    return statement->columnInt64(0);
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
    auto begun = database.execute("BEGIN IMMEDIATE");
    if (!begun) return begun.error();
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
    (void)database_->execute("ROLLBACK");
    database_ = nullptr;
}

}  // namespace assets::sql
