// The device root: a directory laid out like the phone's file system, into
// which every absolute device path ("/private/var/mobile/...", "/User/...",
// "/Library/PreferenceBundles/...") is mapped.
//
// Chosen, in this order, by `setDeviceRoot` (a host's --device-root option),
// the SNAPFOLD_DEVICE_ROOT environment variable, or the embedded default
// $XDG_DATA_HOME/snapfold/device (~/.local/share/snapfold/device), and fixed
// from its first use on: every thread of a process works in one root, and a
// reference to it never dangles. The
// phone's aliases are real relative symbolic links inside it (User ->
// var/mobile, var -> private/var, tmp -> private/var/tmp), so every spelling of
// a path names one file, as on the phone.
#pragma once

#include "platform/foundation/ErrorOr.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace foundation {

inline constexpr const char* kDeviceRootEnvironmentVariable = "SNAPFOLD_DEVICE_ROOT";

// The device root of this process, chosen, created and laid out on first use
// and never changed afterwards (but by the test seam below).
const std::filesystem::path& deviceRoot();
// Names the device root of this process, fixes it and lays it out. Refused
// once a root is in use, unless it names that same root. A root that cannot
// be laid out stays named all the same, and the answer is the error that
// stopped the layout (a folder that may not be written, a file where a folder
// belongs). The environment is left alone
// (setenv is unsafe while other threads may read it): a process starting one
// of ours hands the root on with environmentForChildProcess() or
// --device-root.
ErrorOr<void> setDeviceRoot(const std::filesystem::path& root);
// The environment ("NAME=value" entries) for a process this one starts: the
// extra entries, then SNAPFOLD_DEVICE_ROOT naming this process's device root,
// then the inherited entries but an inherited device root. Of two entries of
// one name the first wins, so the extra entries override the rest.
std::vector<std::string> environmentForChildProcess(const std::vector<std::string>& extra = {});
// Test seam: names the device root even after its first use. Only for a
// single-threaded moment, such as a test fixture before it starts threads:
// references handed out earlier stay valid (no root is ever freed), but a
// thread using the root meanwhile could mix the old and the new one.
void setDeviceRootForTesting(const std::filesystem::path& root);
// Creates the folders and aliases of a device root; idempotent.
ErrorOr<void> prepareDeviceRoot(const std::filesystem::path& root);

// Maps a device path to the host file system: an absolute device path goes
// below the device root (".." never climbs out of it, as "/.." is "/" on the
// phone); a relative path stays relative to the working directory.
std::filesystem::path hostPath(std::string_view devicePath);

// The folder in which the notify center's per-name files live.
std::filesystem::path notificationDirectory();

}  // namespace foundation
