// What the library does with an index it cannot use: it never deletes one.
// An index SQLite cannot open (not a database, or damaged where an open
// reads) is moved aside under a timestamped name, so that a new one can be
// built from the media files and the old one stays for whoever wants to look
// into it. Its write-ahead log and shared-memory file go with it, and so do
// a log and shared-memory file whose index is gone: left beside a new index,
// a stale log would be replayed into it.
#pragma once

#include "platform/foundation/ErrorOr.h"

#include <filesystem>
#include <string>

namespace assets {

// An exclusive advisory lock on a file beside the index, held while a
// process decides whether to move an index aside, so that two processes
// finding the same damaged index do not both move it (the second would move
// the first one's new index). Released when the object goes away.
class IndexRecoveryLock {
public:
    static foundation::ErrorOr<IndexRecoveryLock> acquire(const std::filesystem::path& databaseFile);
    IndexRecoveryLock(IndexRecoveryLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    IndexRecoveryLock& operator=(IndexRecoveryLock&&) = delete;
    ~IndexRecoveryLock();

private:
    explicit IndexRecoveryLock(int fd) : fd_(fd) {}
    int fd_;
};

// Moves the index file and its companions ("-wal", "-shm"), those that
// exist, to "<name>.unreadable-<UTC date>-<time>[-n]" beside them; answers
// the index's new name (or the log's, when there was no index). Call with
// the recovery lock held.
foundation::ErrorOr<std::filesystem::path> moveIndexAside(const std::filesystem::path& databaseFile);

// True when the index file is missing but a log or shared-memory file of an
// earlier index is still there.
bool hasCompanionsWithoutIndex(const std::filesystem::path& databaseFile);

}  // namespace assets
