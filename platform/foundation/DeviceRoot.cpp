#include "platform/foundation/DeviceRoot.h"

#include <cstdlib>
#include <mutex>
#include <optional>
#include <system_error>

namespace fs = std::filesystem;

namespace foundation {

namespace {

std::mutex& rootMutex() {
    static auto* mutex = new std::mutex;
    return *mutex;
}

std::optional<fs::path>& chosenRoot() {
    static auto* root = new std::optional<fs::path>;
    return *root;
}

fs::path defaultRoot() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) return fs::path(xdg) / "snapfold" / "device";
    if (const char* home = std::getenv("HOME"); home && *home)
        return fs::path(home) / ".local" / "share" / "snapfold" / "device";
    return fs::temp_directory_path() / "snapfold-device";
}

ErrorOr<void> ensureSymlink(const fs::path& link, const fs::path& target) {
    std::error_code ec;
    auto status = fs::symlink_status(link, ec);
    if (fs::is_symlink(status)) return {};
    if (fs::exists(status)) return makeError(ErrorCode::IOError, link.string() + " exists and is not a link");
    fs::create_directory_symlink(target, link, ec);
    // Another process may have made it in the meantime.
    if (ec && !fs::is_symlink(fs::symlink_status(link))) return makeError(ErrorCode::IOError, ec.message());
    return {};
}

}  // namespace

ErrorOr<void> prepareDeviceRoot(const fs::path& root) {
    std::error_code ec;
    for (const char* folder : {"private/var/mobile/Library/Preferences", "private/var/mobile/Media",
                               "private/var/tmp", "private/var/run/snapfold-notify", "private/etc",
                               "Library/MobileSubstrate/DynamicLibraries", "Library/PreferenceBundles",
                               "Library/PreferenceLoader/Preferences", "System/Library/CoreServices"}) {
        fs::create_directories(root / folder, ec);
        if (ec) return makeError(ErrorCode::IOError, "cannot create " + (root / folder).string() + ": " + ec.message());
    }
    for (auto [link, target] : {std::pair{"var", "private/var"}, std::pair{"User", "var/mobile"},
                                std::pair{"tmp", "private/var/tmp"}, std::pair{"etc", "private/etc"}}) {
        auto made = ensureSymlink(root / link, target);
        if (!made) return made;
    }
    return {};
}

void setDeviceRoot(const fs::path& root) {
    std::lock_guard lock(rootMutex());
    fs::path absolute = fs::absolute(root).lexically_normal();
    chosenRoot() = absolute;
    ::setenv(kDeviceRootEnvironmentVariable, absolute.c_str(), 1);
    (void)prepareDeviceRoot(absolute);
}

const fs::path& deviceRoot() {
    std::lock_guard lock(rootMutex());
    auto& root = chosenRoot();
    if (!root) {
        const char* fromEnvironment = std::getenv(kDeviceRootEnvironmentVariable);
        root = fs::absolute(fromEnvironment && *fromEnvironment ? fs::path(fromEnvironment) : defaultRoot())
                   .lexically_normal();
        (void)prepareDeviceRoot(*root);
    }
    return *root;
}

fs::path hostPath(std::string_view devicePath) {
    if (devicePath.empty() || devicePath.front() != '/') return fs::path(devicePath);
    // Normalise lexically against "/", so that ".." stops at the device root.
    fs::path normal = fs::path(devicePath).lexically_normal();
    fs::path inside;
    for (const auto& part : normal.relative_path()) {
        if (part == "..") {
            if (!inside.empty()) inside = inside.parent_path();
        } else if (part != ".") {
            inside /= part;
        }
    }
    return deviceRoot() / inside;
}

fs::path notificationDirectory() { return deviceRoot() / "private/var/run/snapfold-notify"; }

}  // namespace foundation
