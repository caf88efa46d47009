// The device root: a directory laid out like the phone's file system, into
// which every absolute device path ("/private/var/mobile/...", "/User/...",
// "/Library/PreferenceBundles/...") is mapped.
//
// Chosen, in this order, by `setDeviceRoot` (a host's --device-root option),
// the SNAPFOLD_DEVICE_ROOT environment variable, or the embedded default
// $XDG_DATA_HOME/snapfold/device (~/.local/share/snapfold/device). The
// phone's aliases are real relative symbolic links inside it (User ->
// var/mobile, var -> private/var, tmp -> private/var/tmp), so every spelling of
// a path names one file, as on the phone.
#pragma once

#include "platform/foundation/ErrorOr.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace foundation {

inline constexpr const char* kDeviceRootEnvironmentVariable = "SNAPFOLD_DEVICE_ROOT";

// The device root of this process, created and laid out on first use.
const std::filesystem::path& deviceRoot();
// Names the device root for this process and for the processes it starts
// (the environment variable is set too). Call before the first use.
void setDeviceRoot(const std::filesystem::path& root);
// Creates the folders and aliases of a device root; idempotent.
ErrorOr<void> prepareDeviceRoot(const std::filesystem::path& root);

// Maps a device path to the host file system: an absolute device path goes
// below the device root (".." never climbs out of it, as "/.." is "/" on the
// phone); a relative path stays relative to the working directory.
std::filesystem::path hostPath(std::string_view devicePath);

// The folder in which the notify center's per-name files live.
std::filesystem::path notificationDirectory();

}  // namespace foundation
