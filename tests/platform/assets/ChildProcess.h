// A program started by a test and talked to line by line: its standard
// input and output are pipes, and the test can kill it at a moment it
// chooses (after reading a given line), not after a guessed delay.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace assetstest {

class ChildProcess {
public:
    ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments);
    // Kills the child if it is still running.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    // The next line the child writes, without its newline; nothing at the
    // end of its output. The timeout only keeps a broken child from hanging
    // the test; no result depends on it.
    std::optional<std::string> readLine(std::chrono::seconds timeout = std::chrono::seconds(60));
    void writeLine(const std::string& line);
    void kill();
    // Waits for the child to end: its exit code, or 128 + the signal.
    int wait();

private:
    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    std::string buffered_;
    bool reaped_ = false;
    int status_ = 0;
};

}  // namespace assetstest
