// An advisory lock held on a lock file beside a file ("<file>.lock"), so that
// the read-modify-write cycles of several writers of that file, in one
// process or many, take turns: each writer reads the file only after the
// previous one renamed its new version into place. Readers never take it and
// never wait. The lock file itself stays; it holds nothing.
#pragma once

#include "platform/foundation/ErrorOr.h"

#include <filesystem>
#include <utility>

namespace foundation {

class FileLock {
public:
    // Blocks until this caller holds the lock of `hostFile`; the folder is
    // made when missing. Every call opens the lock file anew, so two threads
    // of one process exclude each other as two processes do.
    [[nodiscard]] static ErrorOr<FileLock> acquire(const std::filesystem::path& hostFile);

    FileLock(FileLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileLock& operator=(FileLock&&) = delete;
    FileLock(const FileLock&) = delete;
    ~FileLock();  // Releases the lock (closing the file releases it).

private:
    explicit FileLock(int fd) : fd_(fd) {}
    int fd_ = -1;
};

}  // namespace foundation
