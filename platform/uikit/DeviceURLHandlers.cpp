#include "platform/uikit/DeviceURLHandlers.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/PropertyList.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <system_error>

namespace fs = std::filesystem;

namespace uikit {

namespace {

using foundation::ErrorCode;
using foundation::makeError;

// Holds an exclusive lock on the list's lock file while the list is read,
// changed and written back.
class ListLock {
public:
    explicit ListLock(const fs::path& list) {
        std::error_code ec;
        fs::create_directories(list.parent_path(), ec);
        fd_ = ::open((list.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~ListLock() {
        if (fd_ >= 0) ::close(fd_);  // Closing releases the lock.
    }
    ListLock(const ListLock&) = delete;
    ListLock& operator=(const ListLock&) = delete;
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

foundation::ErrorOr<foundation::NSDictionary> readList(const fs::path& list) {
    std::error_code ec;
    if (!fs::exists(list, ec)) return foundation::NSDictionary{};
    auto value = foundation::readPropertyListFile(list);
    if (!value) return value.error();
    if (!value->isDictionary()) return makeError(ErrorCode::Malformed, list.string() + " is not a dictionary");
    return std::move(*value->dictionary());
}

template <typename Change>
foundation::ErrorOr<bool> changeList(std::string_view scheme, Change change) {
    auto normalized = normalizedURLScheme(scheme);
    if (!normalized) return makeError(ErrorCode::InvalidArgument, std::string(scheme).append(" is not a URL scheme"));
    fs::path list = foundation::hostPath(kURLSchemeHandlersPath);
    ListLock lock(list);
    if (!lock.held()) return makeError(ErrorCode::IOError, "cannot lock " + list.string());
    auto handlers = readList(list);
    if (!handlers) return handlers.error();
    bool changed = change(handlers.value(), *normalized);
    if (!changed) return false;
    auto written = foundation::writePropertyListAtomically(list, foundation::PlistValue(std::move(handlers.value())));
    if (!written) return written.error();
    return true;
}

}  // namespace

std::optional<std::string> normalizedURLScheme(std::string_view text) {
    if (text.ends_with("://")) text.remove_suffix(3);
    else if (text.ends_with(":")) text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    std::string scheme;
    for (char c : text) {
        bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        if (!letter && (scheme.empty() || !other)) return std::nullopt;
        scheme += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    return scheme;
}

std::map<std::string, std::string> deviceURLSchemeHandlers() {
    fs::path list = foundation::hostPath(kURLSchemeHandlersPath);
    auto handlers = readList(list);
    if (!handlers) {
        foundation::NSLog("UIApplication: the URL handler list is unreadable: %@", handlers.error().message);
        return {};
    }
    std::map<std::string, std::string> installed;
    for (const auto& [scheme, app] : handlers.value()) {
        auto normalized = normalizedURLScheme(scheme);
        if (normalized) installed[*normalized] = app.string() ? *app.string() : app.description();
    }
    return installed;
}

std::optional<std::string> deviceHandlerForScheme(std::string_view scheme) {
    auto normalized = normalizedURLScheme(scheme);
    if (!normalized) return std::nullopt;
    auto installed = deviceURLSchemeHandlers();
    auto found = installed.find(*normalized);
    if (found == installed.end()) return std::nullopt;
    return found->second;
}

foundation::ErrorOr<void> installURLSchemeHandler(std::string_view scheme, std::string_view appName) {
    std::string name(appName);
    auto changed = changeList(scheme, [&](foundation::NSDictionary& handlers, const std::string& normalized) {
        handlers[normalized] = name.empty() ? normalized : name;
        return true;
    });
    if (!changed) return changed.error();
    return {};
}

foundation::ErrorOr<bool> removeURLSchemeHandler(std::string_view scheme) {
    return changeList(scheme, [](foundation::NSDictionary& handlers, const std::string& normalized) {
        // Keys written by hand may differ in case; every spelling goes.
        return std::erase_if(handlers, [&](const auto& entry) {
                   return normalizedURLScheme(entry.first) == normalized;
               }) > 0;
    });
}

}  // namespace uikit
