// Putting the settings bundle and a default device into a device root.
#pragma once

#include "platform/foundation/ErrorOr.h"

#include <filesystem>
#include <string>
#include <vector>

namespace settingsapp {

// Installs the whole tweak built in the given build folder into the device
// root, through scripts/install-device (the one installer, so that this host
// never installs a different set of files). Answers the device paths of the
// files installed.
foundation::ErrorOr<std::vector<std::string>> installFromBuildTree(const std::filesystem::path& buildDirectory);

// Writes the files of a phone as shipped where the device root has none:
// its system version, its device information and its accounts. Answers the
// device paths written.
std::vector<std::string> prepareDefaultDevice();

}  // namespace settingsapp
