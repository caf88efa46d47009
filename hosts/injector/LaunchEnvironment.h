// What the hooking framework knows about a process when it decides which
// dynamic libraries to load into it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace injector {

struct LaunchEnvironment {
    // Identifiers of every bundle loaded in the process: the main bundle and
    // the frameworks the process has loaded.
    std::vector<std::string> loadedBundleIdentifiers;
    // The basename of the process's argv[0].
    std::string executableName;
    double coreFoundationVersion = 0;
    // Whether a class of that name is registered in the runtime.
    std::function<bool(std::string_view)> classExists;

    // This process, as it stands now: call it once the host's classes exist.
    static LaunchEnvironment current();
};

// The identifiers of the stand-in frameworks loaded in this process, from the
// shared libraries the dynamic loader has mapped.
std::vector<std::string> loadedFrameworkBundleIdentifiers();

}  // namespace injector
