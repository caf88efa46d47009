// An advisory lock on a file, held through a lock file beside it
// ("<file>.lock", flock), so that writers that each read, change and replace
// the file take turns: a replacement by rename would leave a lock on the file
// itself behind on the old copy. Readers never take it; they see the old file
// or the new one thanks to the atomic replacement.
#pragma once

#include "platform/foundation/ErrorOr.h"

#include <filesystem>

namespace foundation {

class FileLock {
public:
    // Waits until the lock beside `hostFile` is free, then holds it. The
    // folder is made when missing.
    [[nodiscard]] static ErrorOr<FileLock> acquire(const std::filesystem::path& hostFile);

    FileLock(FileLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    FileLock& operator=(FileLock&&) = delete;
    FileLock(const FileLock&) = delete;
    ~FileLock();  // Releases the lock.

private:
    explicit FileLock(int fd) : fd_(fd) {}
    int fd_;
};

}  // namespace foundation
