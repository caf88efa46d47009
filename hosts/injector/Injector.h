// The hooking framework's loader: at a host's launch, after the host's own
// classes exist and before it does any work, every dynamic library installed
// in the device's DynamicLibraries folder whose filter matches the process is
// loaded into it, in the order of the libraries' names. Each library's static
// initializer then does its hooking.
#pragma once

#include "hosts/injector/LaunchEnvironment.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace injector {

inline constexpr const char* kDynamicLibrariesDirectory = "/Library/MobileSubstrate/DynamicLibraries";

struct InjectionReport {
    struct Entry {
        std::filesystem::path library;  // host path of the .dylib
        std::string reason;
    };
    std::vector<Entry> loaded;
    std::vector<Entry> skipped;  // filtered out, or no usable filter list
    std::vector<Entry> failed;   // the filter matched but the library did not load
};

// Loads the matching libraries of `directory` (a host path; by default the
// device root's DynamicLibraries folder). Only a library with a filter
// property list beside it ("X.plist" for "X.dylib") is considered; a filter
// list that cannot be read skips its library; a library that fails to load is
// reported and skipped, and the rest still load.
InjectionReport injectDynamicLibraries(const LaunchEnvironment& environment, const std::filesystem::path& directory);
InjectionReport injectDynamicLibraries(const LaunchEnvironment& environment = LaunchEnvironment::current());

// One line per library: "injector: loaded ...", "injector: skipped ... (why)",
// "injector: cannot load ...: why".
void printInjectionReport(const InjectionReport& report, std::FILE* out);

}  // namespace injector
