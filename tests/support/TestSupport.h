// Shared fixtures for the test suites: a device root of the test process's
// own, the build folder, and running the project's programs.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

// A fresh device root for this test process (a new temporary folder, made on
// first call and named as the process's device root before anything uses it).
const std::filesystem::path& processDeviceRoot();

// Removes the settings file and everything below the media folder, so each
// test starts from an empty device.
void clearDevice();

// The build folder (from SNAPFOLD_BUILD_DIR, set by CTest), holding bin/ and lib/.
std::filesystem::path buildDirectory();

struct ProgramResult {
    int exitCode = -1;
    std::string output;  // standard output
    std::string errors;  // standard error
};

// Runs a program to completion with the given arguments and extra environment
// entries ("NAME=value"), the process's device root included.
ProgramResult runProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment = {},
                         std::chrono::seconds timeout = std::chrono::seconds(60));

}  // namespace testsupport
