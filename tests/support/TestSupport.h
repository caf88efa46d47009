// Shared fixtures for the test suites: a device root of the test process's
// own, the build folder, and running the project's programs.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// A fresh device root for this test process (a new temporary folder, made on
// first call and named as the process's device root before anything uses it),
// removed with everything in it when the process exits.
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

// A program running beside the test, whose standard output is read line by
// line while it runs (standard error passes through to the test's). Its
// standard input is empty, or a pipe the test writes lines into; the test can
// kill it at a moment it chooses (after reading a given line, say).
class ChildProcess {
public:
    enum class Input { Empty, Pipe };

    ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                 const std::vector<std::string>& environment = {}, Input input = Input::Empty);
    ~ChildProcess();  // Kills the child if it still runs.
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    // The next line of standard output, or nothing when the child closed its
    // output or the timeout passed first.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // Writes a line to the child's standard input (Input::Pipe only).
    void writeLine(const std::string& line);
    // Closes the child's standard input, so that it reads the end.
    void closeInput();
    // Sends SIGKILL.
    void kill();
    // Waits for the child to exit; its exit code (128 + the signal when a
    // signal ended it), or -1 after a timeout (the child is then killed).
    int wait(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    int pid() const { return pid_; }

private:
    int pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    std::string buffered_;
    bool exited_ = false;
    int exitCode_ = -1;
};

}  // namespace testsupport
