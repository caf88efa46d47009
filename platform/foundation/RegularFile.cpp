#include "platform/foundation/RegularFile.h"

#include "platform/foundation/SystemError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace foundation {

namespace {

// Closes the descriptor however the read ends.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

ErrorOr<std::string> readRegularFile(const std::filesystem::path& hostFile, std::size_t maximumBytes) {
    // O_NONBLOCK: opening a FIFO with no writer would otherwise wait forever.
    Descriptor file{::open(hostFile.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    if (file.fd < 0) return errorFromErrno(errno, hostFile.string());
    struct stat status {};
    if (::fstat(file.fd, &status) != 0) return errorFromErrno(errno, hostFile.string());
    if (!S_ISREG(status.st_mode)) return makeError(ErrorCode::Malformed, hostFile.string() + ": not a regular file");
    if (static_cast<std::uint64_t>(status.st_size) > maximumBytes)
        return makeError(ErrorCode::TooLarge,
                         hostFile.string() + ": larger than " + std::to_string(maximumBytes) + " bytes");
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(status.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(file.fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return errorFromErrno(errno, hostFile.string());
        if (got == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(got));
        // The file may grow while it is read.
        if (bytes.size() > maximumBytes)
            return makeError(ErrorCode::TooLarge,
                             hostFile.string() + ": larger than " + std::to_string(maximumBytes) + " bytes");
    }
    return bytes;
}

}  // namespace foundation
