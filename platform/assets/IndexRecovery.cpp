#include "platform/assets/IndexRecovery.h"

#include "platform/assets/DurableFiles.h"
#include "platform/foundation/SystemError.h"

#include <ctime>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace assets {

namespace {

constexpr const char* kCompanionSuffixes[] = {"", "-wal", "-shm"};
// Two indexes moved aside within one second get numbered names; past this
// many something else is wrong.
constexpr int kMaximumNamesPerSecond = 1000;

fs::path withSuffix(const fs::path& file, const std::string& suffix) { return file.string() + suffix; }

std::string utcStamp() {
    std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &parts);
    return text;
}

bool isThere(const fs::path& file) {
    std::error_code ec;
    return fs::symlink_status(file, ec).type() != fs::file_type::not_found && !ec;
}

}  // namespace

foundation::ErrorOr<IndexRecoveryLock> IndexRecoveryLock::acquire(const fs::path& databaseFile) {
    // Not named like the index, so that removing "Photos.sqlite*" by hand
    // leaves it alone.
    fs::path lockFile = databaseFile.parent_path() / "IndexRecovery.lock";
    int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) return foundation::errorFromErrno(errno, "open " + lockFile.string());
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno == EINTR) continue;
        int error = errno;
        ::close(fd);
        return foundation::errorFromErrno(error, "lock " + lockFile.string());
    }
    return IndexRecoveryLock(fd);
}

IndexRecoveryLock::~IndexRecoveryLock() {
    if (fd_ >= 0) ::close(fd_);  // Closing gives the lock back.
}

foundation::ErrorOr<fs::path> moveIndexAside(const fs::path& databaseFile) {
    std::string stamp = ".unreadable-" + utcStamp();
    std::optional<fs::path> movedIndex;
    for (const char* companion : kCompanionSuffixes) {
        fs::path file = withSuffix(databaseFile, companion);
        if (!isThere(file)) continue;
        for (int n = 1;; ++n) {
            if (n > kMaximumNamesPerSecond)
                return foundation::makeError(foundation::ErrorCode::IOError,
                                             "no free name to move " + file.string() + " aside");
            fs::path aside = withSuffix(file, n == 1 ? stamp : stamp + "-" + std::to_string(n));
            if (TRY(durable::placeWithoutReplacing(file, aside)) == durable::Placement::NameTaken) continue;
            if (!movedIndex) movedIndex = aside;
            break;
        }
    }
    TRY(durable::syncFolder(databaseFile.parent_path()));
    if (!movedIndex)
        return foundation::makeError(foundation::ErrorCode::NotFound,
                                     "no index at " + databaseFile.string() + " to move aside");
    return *movedIndex;
}

bool hasCompanionsWithoutIndex(const fs::path& databaseFile) {
    return !isThere(databaseFile) &&
           (isThere(withSuffix(databaseFile, "-wal")) || isThere(withSuffix(databaseFile, "-shm")));
}

}  // namespace assets
