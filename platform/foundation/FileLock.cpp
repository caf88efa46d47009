#include "platform/foundation/FileLock.h"

#include "platform/foundation/SystemError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace foundation {

ErrorOr<FileLock> FileLock::acquire(const std::filesystem::path& hostFile) {
    std::error_code made;
    std::filesystem::create_directories(hostFile.parent_path(), made);
    if (made) return errorFromErrorCode(made, hostFile.parent_path().string());
    std::filesystem::path lockFile = hostFile;
    lockFile += ".lock";
    // The preferences folder is shared: a FIFO or device planted under the
    // lock file's name must not block the open, and a link must not lead
    // the lock elsewhere.
    int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return errorFromErrno(errno, lockFile.string());
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return makeError(ErrorCode::InvalidArgument, lockFile.string() + ": not a regular file");
    }
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno == EINTR) continue;
        int saved = errno;
        ::close(fd);
        return errorFromErrno(saved, lockFile.string());
    }
    return FileLock(fd);
}

FileLock::~FileLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace foundation
