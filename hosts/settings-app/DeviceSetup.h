// Putting the settings bundle and a default device into a device root.
#pragma once

#include "platform/foundation/ErrorOr.h"

#include <filesystem>
#include <string>
#include <vector>

namespace settingsapp {

// Copies the bundle folder and the entry list built beside this program
// (<build>/Snapfold.bundle, <build>/PreferenceLoader/Preferences/*.plist)
// into the device root. Answers what was installed, one line each.
foundation::ErrorOr<std::vector<std::string>> installFromBuildTree(const std::filesystem::path& buildDirectory);

// Writes the files of a phone as shipped where the device root has none:
// its system version, its device information and its accounts. Answers the
// device paths written.
std::vector<std::string> prepareDefaultDevice();

}  // namespace settingsapp
