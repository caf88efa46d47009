// The main bundle, as far as the system asks about it: its identifier, read
// from the Info.plist beside the running executable (an app bundle on Linux is
// a folder holding the executable and its Info.plist).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace foundation {

// `[[NSBundle mainBundle] bundleIdentifier]`: absent for a program that has no
// Info.plist or whose Info.plist names no identifier.
std::optional<std::string> mainBundleIdentifier();
// The folder of the running executable: the main bundle's folder.
std::filesystem::path mainBundlePath();

// Test seam: answers `identifier` from now on (nullopt: no identifier).
void setMainBundleIdentifierForTesting(std::optional<std::string> identifier);

}  // namespace foundation
