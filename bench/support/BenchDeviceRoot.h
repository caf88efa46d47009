// The device roots of a benchmark process, set up once per process.
//
// The process's device root is fixed from its first use, so a benchmark that
// needs photo libraries of several sizes keeps each in a device root of its
// own and reaches it through library objects made over that root
// (ALAssetsLibrary::createForDeviceRoot), never by renaming the process's root
// while threads use it.
#pragma once

#include <filesystem>
#include <string_view>

namespace benchsupport {

// The benchmark process's device root: a fresh folder below the system's
// temporary folder (a real disk, so that flushes cost what they cost), named
// as the process's device root on the first call and removed, with every
// other root below, when the process exits. Call it before anything else
// uses the device root.
const std::filesystem::path& benchDeviceRoot();

// A further device root of the benchmark's own, named `name` (a plain file
// name), laid out on the first call and removed at exit. It is never the
// process's device root.
std::filesystem::path separateDeviceRoot(std::string_view name);

}  // namespace benchsupport
