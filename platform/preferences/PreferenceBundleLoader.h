// Loading a settings bundle the way the Settings app does: open the bundle
// folder, load its executable (the plug-in shared object named by
// CFBundleExecutable), and find its principal class (NSPrincipalClass), the
// first page.
#pragma once

#include "platform/foundation/ErrorOr.h"
#include "platform/foundation/NSBundleResources.h"
#include "platform/preferences/PSListController.h"

#include <string_view>

namespace preferences {

struct LoadedPreferenceBundle {
    foundation::NSBundleRef bundle;
    objc::Class principalClass = nullptr;
};

// Loads the bundle at a device path. Its executable is loaded once per
// process and never unloaded (its classes stay registered). Errors: no such
// bundle, no executable, a plug-in that cannot be loaded, or a principal
// class that the plug-in did not register.
foundation::ErrorOr<LoadedPreferenceBundle> loadPreferenceBundle(std::string_view devicePath);

// Makes the bundle's first page: an instance of its principal class, reading
// its lists from the bundle. Nothing when the class does not make a list page.
PSListControllerRef makeRootController(const LoadedPreferenceBundle& loaded);

}  // namespace preferences
