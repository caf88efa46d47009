#include "platform/foundation/NSBundle.h"

#include "platform/foundation/PropertyList.h"

#include <mutex>

namespace foundation {

namespace {
struct MainBundle {
    std::once_flag loaded;
    std::mutex mutex;
    std::optional<std::string> identifier;
    bool overridden = false;
};
MainBundle& mainBundle() {
    static auto* bundle = new MainBundle;
    return *bundle;
}
}  // namespace

std::filesystem::path mainBundlePath() {
    std::error_code ec;
    auto executable = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path() : executable.parent_path();
}

std::optional<std::string> mainBundleIdentifier() {
    auto& bundle = mainBundle();
    std::call_once(bundle.loaded, [&] {
        auto info = readPropertyListFile(mainBundlePath() / "Info.plist");
        std::lock_guard lock(bundle.mutex);
        if (bundle.overridden || !info) return;
        if (const PlistValue* id = info->objectForKey("CFBundleIdentifier"); id && id->string())
            bundle.identifier = *id->string();
    });
    std::lock_guard lock(bundle.mutex);
    return bundle.identifier;
}

void setMainBundleIdentifierForTesting(std::optional<std::string> identifier) {
    auto& bundle = mainBundle();
    std::call_once(bundle.loaded, [] {});
    std::lock_guard lock(bundle.mutex);
    bundle.overridden = true;
    bundle.identifier = std::move(identifier);
}

}  // namespace foundation
