// What the settings pages share with the hook library: the settings file (as
// the pages spell its path) and the notification posted after each change.
// The two deliverables never link against each other; these names are the
// whole contract.
#pragma once

namespace snapfold::prefs {

// Read and written by the pages.
inline constexpr const char* kSettingsFilePath = "/User/Library/Preferences/com.veltrona.snapfold.plist";
// The same file, as the support mail attaches it.
inline constexpr const char* kSettingsFileMailPath = "/var/mobile//Library/Preferences/com.veltrona.snapfold.plist";
inline constexpr const char* kSettingsChangedNotification = "com.veltrona.snapfold/settingschanged";
// Where the Settings app finds the bundle, and with it every resource.
inline constexpr const char* kBundlePath = "/Library/PreferenceBundles/Snapfold.bundle";

}  // namespace snapfold::prefs
