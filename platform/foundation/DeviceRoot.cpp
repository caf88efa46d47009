#include "platform/foundation/DeviceRoot.h"

#include "platform/foundation/NSLog.h"
#include "platform/foundation/SystemError.h"

#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <system_error>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace foundation {

namespace {

// The root in use, published once and never freed, so that readers take no
// lock and a reference handed out stays valid for the life of the process.
// The mutex only orders the choosing.
std::mutex& choosingMutex() {
    static auto* mutex = new std::mutex;
    return *mutex;
}
std::atomic<const fs::path*> gRootInUse{nullptr};

// Every root ever published (more than one only through the test seam), kept
// so that old references stay valid. Guarded by the choosing mutex.
std::vector<std::unique_ptr<const fs::path>>& publishedRoots() {
    static auto* roots = new std::vector<std::unique_ptr<const fs::path>>;
    return *roots;
}

// The root as an absolute path; an error for an empty one, or a relative one
// when the working directory is gone.
ErrorOr<fs::path> absoluteRoot(const fs::path& root) {
    if (root.empty()) return makeError(ErrorCode::InvalidArgument, "an empty path names no device root");
    std::error_code ec;
    fs::path absolute = fs::absolute(root, ec);
    if (ec) return errorFromErrorCode(ec, "cannot make " + root.string() + " absolute");
    return absolute.lexically_normal();
}

// Lays the root out and makes it the one in use. A root that cannot be laid
// out is still the one named (each file operation in it then reports its own
// failure); the answer says why it could not be.
ErrorOr<void> publishRoot(const fs::path& absolute) {
    const fs::path* fixed = publishedRoots().emplace_back(std::make_unique<const fs::path>(absolute)).get();
    auto prepared = prepareDeviceRoot(*fixed);
    gRootInUse.store(fixed, std::memory_order_release);
    return prepared;
}

void logLayoutFailure(const ErrorOr<void>& published) {
    if (!published) NSLog("device root: cannot lay out %@: %@", gRootInUse.load()->string(), published.error().message);
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
    if (ec && !fs::is_symlink(fs::symlink_status(link))) return errorFromErrorCode(ec, "cannot link " + link.string());
    return {};
}

}  // namespace

ErrorOr<void> prepareDeviceRoot(const fs::path& root) {
    std::error_code ec;
    for (const char* folder :
         {"private/var/mobile/Library/Preferences", "private/var/mobile/Media", "private/var/tmp",
          "private/var/run/snapfold-notify", "private/etc", "Library/MobileSubstrate/DynamicLibraries",
          "Library/PreferenceBundles", "Library/PreferenceLoader/Preferences", "System/Library/CoreServices"}) {
        fs::create_directories(root / folder, ec);
        if (ec) return errorFromErrorCode(ec, "cannot create " + (root / folder).string());
    }
    for (auto [link, target] : {std::pair{"var", "private/var"}, std::pair{"User", "var/mobile"},
                                std::pair{"tmp", "private/var/tmp"}, std::pair{"etc", "private/etc"}})
        TRY(ensureSymlink(root / link, target));
    return {};
}

ErrorOr<void> setDeviceRoot(const fs::path& root) {
    std::lock_guard lock(choosingMutex());
    fs::path wanted = TRY(absoluteRoot(root));
    if (const fs::path* inUse = gRootInUse.load(std::memory_order_acquire)) {
        if (*inUse == wanted) return {};
        return makeError(ErrorCode::InvalidArgument,
                         "cannot name " + wanted.string() + " as the device root: " + inUse->string() + " is in use");
    }
    return publishRoot(wanted);
}

void setDeviceRootForTesting(const fs::path& root) {
    std::lock_guard lock(choosingMutex());
    if (auto absolute = absoluteRoot(root)) {
        logLayoutFailure(publishRoot(absolute.value()));
    } else {
        NSLog("device root: %@", absolute.error().message);
    }
}

const fs::path& deviceRoot() {
    if (const fs::path* inUse = gRootInUse.load(std::memory_order_acquire)) return *inUse;
    std::lock_guard lock(choosingMutex());
    if (const fs::path* inUse = gRootInUse.load(std::memory_order_acquire)) return *inUse;
    const char* fromEnvironment = std::getenv(kDeviceRootEnvironmentVariable);
    fs::path chosen = fromEnvironment && *fromEnvironment ? fs::path(fromEnvironment) : defaultRoot();
    auto absolute = absoluteRoot(chosen);
    if (!absolute) NSLog("device root: %@; using %@ as it is", absolute.error().message, chosen.string());
    // No caller of this one can hear why the root could not be laid out; the
    // log says it, and each file operation reports its own failure.
    logLayoutFailure(publishRoot(absolute ? absolute.value() : chosen.lexically_normal()));
    return *gRootInUse.load(std::memory_order_acquire);
}

std::vector<std::string> environmentForChildProcess(const std::vector<std::string>& extra) {
    const std::string prefix = std::string(kDeviceRootEnvironmentVariable) + "=";
    std::vector<std::string> entries = extra;
    entries.push_back(prefix + deviceRoot().string());
    for (char** entry = environ; *entry; ++entry)
        if (!std::string_view(*entry).starts_with(prefix)) entries.emplace_back(*entry);
    return entries;
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
