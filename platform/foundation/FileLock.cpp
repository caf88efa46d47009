#include "platform/foundation/FileLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace foundation {

ErrorOr<FileLock> FileLock::acquire(const std::filesystem::path& hostFile) {
    std::error_code ec;
    std::filesystem::create_directories(hostFile.parent_path(), ec);
    std::filesystem::path lockFile = hostFile;
    lockFile += ".lock";
    // O_NOFOLLOW: a link planted in the lock file's place is not followed.
    int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
    if (fd < 0) return makeError(ErrorCode::IOError, lockFile.string() + ": " + std::strerror(errno));
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno == EINTR) continue;
        int saved = errno;
        ::close(fd);
        return makeError(ErrorCode::IOError, lockFile.string() + ": cannot lock: " + std::strerror(saved));
    }
    return FileLock(fd);
}

FileLock::~FileLock() {
    if (fd_ >= 0) ::close(fd_);  // Closing the last descriptor releases the lock.
}

}  // namespace foundation
