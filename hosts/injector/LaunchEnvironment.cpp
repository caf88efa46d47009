#include "hosts/injector/LaunchEnvironment.h"

#include "platform/foundation/CoreFoundationVersion.h"
#include "platform/foundation/NSBundle.h"
#include "platform/runtime/Runtime.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <link.h>

namespace injector {

namespace {

struct FrameworkLibrary {
    std::string_view libraryName;
    std::string_view bundleIdentifier;
};

// Each stand-in framework is one shared library; a process that has mapped it
// has loaded the framework of that identifier.
constexpr FrameworkLibrary kFrameworkLibraries[] = {
    {"libsnapfold_foundation.so", "com.apple.CoreFoundation"},
    {"libsnapfold_foundation.so", "com.apple.Foundation"},
    {"libsnapfold_imageio.so", "com.apple.ImageIO"},
    {"libsnapfold_uikit.so", "com.apple.UIKit"},
    {"libsnapfold_assets.so", "com.apple.AssetsLibrary"},
    {"libsnapfold_preferences.so", "com.apple.Preferences"},
    {"libsnapfold_social.so", "com.apple.Social"},
    {"libsnapfold_messageui.so", "com.apple.MessageUI"},
    {"libsnapfold_mobilegestalt.so", "com.apple.MobileGestalt"},
};

int collectFramework(dl_phdr_info* info, std::size_t, void* data) {
    auto* identifiers = static_cast<std::vector<std::string>*>(data);
    if (!info->dlpi_name || !*info->dlpi_name) return 0;
    std::string name = std::filesystem::path(info->dlpi_name).filename().string();
    for (const auto& framework : kFrameworkLibraries) {
        if (framework.libraryName == name) identifiers->emplace_back(framework.bundleIdentifier);
    }
    return 0;
}

}  // namespace

std::vector<std::string> loadedFrameworkBundleIdentifiers() {
    std::vector<std::string> identifiers;
    ::dl_iterate_phdr(&collectFramework, &identifiers);
    std::sort(identifiers.begin(), identifiers.end());
    identifiers.erase(std::unique(identifiers.begin(), identifiers.end()), identifiers.end());
    return identifiers;
}

LaunchEnvironment LaunchEnvironment::current() {
    LaunchEnvironment environment;
    if (auto mainBundle = foundation::mainBundleIdentifier())
        environment.loadedBundleIdentifiers.push_back(*mainBundle);
    for (auto& framework : loadedFrameworkBundleIdentifiers())
        environment.loadedBundleIdentifiers.push_back(std::move(framework));
    environment.executableName = program_invocation_short_name;
    environment.coreFoundationVersion = foundation::kCFCoreFoundationVersionNumber();
    environment.classExists = [](std::string_view name) { return objc::objc_getClass(name) != nullptr; };
    return environment;
}

}  // namespace injector
