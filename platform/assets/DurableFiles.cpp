#include "platform/assets/DurableFiles.h"

#include "platform/assets/StoreLayout.h"
#include "platform/foundation/SystemError.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace assets::durable {

using foundation::ErrorCode;
using foundation::errorFromErrno;
using foundation::makeError;

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    // close() reports late write errors on some file systems; do not lose them.
    int close() {
        int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

std::atomic<std::uint64_t> temporarySequence{0};

// Makes a new temporary file in `folder` that no other writer can be using.
ErrorOr<std::pair<fs::path, int>> createTemporary(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) return foundation::errorFromErrorCode(ec, "create " + folder.string());
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path path = folder / temporaryFileName(::getpid(), temporarySequence.fetch_add(1));
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) return std::pair{path, fd};
        // A name left by an earlier process that had our process id.
        if (errno != EEXIST) return errorFromErrno(errno, "create " + path.string());
    }
    return makeError(ErrorCode::IOError, "no free temporary name in " + folder.string());
}

// Writes a mebibyte at a time and has the kernel start putting each on disk
// as soon as it is in the page cache, without waiting for it: the disk works
// while the rest is copied in, and the fsync that makes the file durable
// waits for little more than the last piece (a 17 MB photo's fsync went from
// about 10 ms to 3-5). The request is only a head start, so its own failure
// is left to that fsync to report.
ErrorOr<void> writeAll(int fd, std::span<const std::uint8_t> bytes, const fs::path& path) {
    constexpr std::size_t kPieceBytes = 1 << 20;
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), std::min(bytes.size(), kPieceBytes));
        if (written < 0) {
            if (errno == EINTR) continue;
            return errorFromErrno(errno, "write " + path.string());
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
        ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    }
    return {};
}

ErrorOr<void> copyAll(int from, int to, const fs::path& path, std::int64_t& copied) {
    copied = 0;
    for (;;) {
        ssize_t moved = ::copy_file_range(from, nullptr, to, nullptr, 1 << 30, 0);
        if (moved > 0) {
            copied += moved;
            continue;
        }
        if (moved == 0) return {};
        if (errno == EINTR) continue;
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return errorFromErrno(errno, "copy into " + path.string());
        break;  // The file systems cannot copy in the kernel: copy by hand.
    }
    std::vector<std::uint8_t> buffer(1 << 20);
    for (;;) {
        ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            return errorFromErrno(errno, "read the source of " + path.string());
        }
        if (got == 0) return {};
        TRY(writeAll(to, std::span(buffer.data(), static_cast<std::size_t>(got)), path));
        copied += got;
    }
}

// Flushes and closes a filled temporary file; removes it on any failure.
ErrorOr<fs::path> finishTemporary(FileDescriptor& fd, const fs::path& path, ErrorOr<void> filled) {
    if (filled && ::fsync(fd.get()) != 0) filled = errorFromErrno(errno, "flush " + path.string());
    if (filled && fd.close() != 0) filled = errorFromErrno(errno, "close " + path.string());
    if (!filled) {
        ::unlink(path.c_str());
        return filled.error();
    }
    return path;
}

}  // namespace

ErrorOr<fs::path> writeTemporary(const fs::path& folder, std::span<const std::uint8_t> bytes) {
    auto [path, rawFd] = TRY(createTemporary(folder));
    FileDescriptor fd(rawFd);
    return finishTemporary(fd, path, writeAll(fd.get(), bytes, path));
}

ErrorOr<fs::path> copyToTemporary(const fs::path& folder, const fs::path& source, std::int64_t& copiedBytes) {
    FileDescriptor input(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (input.get() < 0) return errorFromErrno(errno, "open " + source.string());
    auto [path, rawFd] = TRY(createTemporary(folder));
    FileDescriptor fd(rawFd);
    return finishTemporary(fd, path, copyAll(input.get(), fd.get(), path, copiedBytes));
}

ErrorOr<Placement> placeWithoutReplacing(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::create_directories(to.parent_path(), ec);
    if (ec) return foundation::errorFromErrorCode(ec, "create " + to.parent_path().string());
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return Placement::Placed;
    if (errno == EEXIST) return Placement::NameTaken;
    if (errno != EINVAL && errno != ENOSYS)
        return errorFromErrno(errno, "move " + from.string() + " to " + to.string());
    // The file system cannot rename without replacing: a hard link fails on
    // an existing name just the same, then the temporary name goes away.
    if (::link(from.c_str(), to.c_str()) != 0) {
        if (errno == EEXIST) return Placement::NameTaken;
        return errorFromErrno(errno, "link " + from.string() + " to " + to.string());
    }
    ::unlink(from.c_str());
    return Placement::Placed;
}

ErrorOr<void> syncFolder(const fs::path& folder) {
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0) return errorFromErrno(errno, "open " + folder.string());
    if (::fsync(fd.get()) != 0) return errorFromErrno(errno, "flush " + folder.string());
    return {};
}

}  // namespace assets::durable
