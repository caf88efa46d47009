#include "platform/preferences/PreferenceBundleLoader.h"

#include "platform/foundation/NSLog.h"
#include "platform/runtime/Selector.h"

#include <dlfcn.h>
#include <filesystem>

namespace preferences {

foundation::ErrorOr<LoadedPreferenceBundle> loadPreferenceBundle(std::string_view devicePath) {
    using foundation::ErrorCode;
    using foundation::makeError;
    auto bundle = foundation::NSBundle::bundleWithPath(devicePath);
    if (!bundle) return makeError(ErrorCode::NotFound, "no bundle at " + std::string(devicePath));
    auto executable = bundle->executablePath();
    if (!executable) return makeError(ErrorCode::Malformed, bundle->bundlePath() + " names no executable");
    std::error_code ec;
    if (!std::filesystem::is_regular_file(*executable, ec))
        return makeError(ErrorCode::NotFound, "the executable " + executable->string() + " is missing");
    // RTLD_NOW: a plug-in with a missing symbol fails here, not in the middle
    // of a page. The handle is never closed: the plug-in's classes stay.
    void* handle = ::dlopen(executable->c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return makeError(ErrorCode::Unavailable, std::string("cannot load the plug-in: ") + ::dlerror());
    auto principal = bundle->objectForInfoDictionaryKey("NSPrincipalClass");
    if (!principal) return makeError(ErrorCode::Malformed, bundle->bundlePath() + " names no NSPrincipalClass");
    objc::Class cls = objc::objc_getClass(*principal);
    if (!cls) return makeError(ErrorCode::NotFound, "the plug-in registers no class " + *principal);
    return LoadedPreferenceBundle{bundle, cls};
}

PSListControllerRef makeRootController(const LoadedPreferenceBundle& loaded) {
    auto page = std::dynamic_pointer_cast<PSListController>(objc::allocInit(loaded.principalClass));
    if (!page) {
        foundation::NSLog("Preferences: %@ is not a list page",
                          loaded.principalClass ? loaded.principalClass->name() : "nil");
        return nullptr;
    }
    page->setBundle(loaded.bundle);
    return page;
}

}  // namespace preferences
