#include "platform/foundation/FileLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace foundation {

ErrorOr<FileLock> FileLock::acquire(const std::filesystem::path& hostFile) {
    std::error_code made;
    std::filesystem::create_directories(hostFile.parent_path(), made);
    if (made) return makeError(ErrorCode::IOError, hostFile.parent_path().string() + ": " + made.message());
    std::filesystem::path lockFile = hostFile;
    lockFile += ".lock";
    // The preferences folder is shared: a FIFO or device planted under the
    // lock file's name must not block the open, and a link must not lead
    // the lock elsewhere.
    int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        return makeError(errno == EACCES ? ErrorCode::PermissionDenied : ErrorCode::IOError,
                         lockFile.string() + ": " + std::strerror(errno));
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return makeError(ErrorCode::InvalidArgument, lockFile.string() + ": not a regular file");
    }
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno == EINTR) continue;
        int saved = errno;
        ::close(fd);
        return makeError(ErrorCode::IOError, lockFile.string() + ": " + std::strerror(saved));
    }
    return FileLock(fd);
}

FileLock::~FileLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace foundation
