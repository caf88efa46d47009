#include "platform/uikit/OpenedURLLog.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/SystemError.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace uikit {

foundation::ErrorOr<void> appendOpenedURL(std::string_view url) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string line;
    line.reserve(url.size() + 1);
    for (unsigned char c : url) {
        if (c < 0x20 || c == 0x7F) {
            line += '%';
            line += kHex[c >> 4];
            line += kHex[c & 0x0F];
        } else {
            line += static_cast<char>(c);
        }
    }
    line += '\n';
    fs::path log = foundation::hostPath(kOpenedURLLogPath);
    std::error_code ec;
    fs::create_directories(log.parent_path(), ec);
    int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return foundation::errorFromErrno(errno, log.string());
    ssize_t written = ::write(fd, line.data(), line.size());
    int writeError = errno;
    ::close(fd);
    if (written < 0) return foundation::errorFromErrno(writeError, log.string());
    if (written != static_cast<ssize_t>(line.size()))
        return foundation::makeError(foundation::ErrorCode::IOError, log.string() + ": short write");
    return {};
}

std::vector<std::string> openedURLLog() {
    std::ifstream in(foundation::hostPath(kOpenedURLLogPath));
    std::vector<std::string> urls;
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) urls.push_back(line);
    return urls;
}

}  // namespace uikit
