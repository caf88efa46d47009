#include "tests/support/TestSupport.h"

#include "platform/foundation/DeviceRoot.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testsupport {

namespace fs = std::filesystem;

namespace {

// The process that made the device root; a child forked by a test (a death
// test, say) shares the root and must not remove it when it exits.
pid_t gDeviceRootOwner = 0;

void removeProcessDeviceRoot() {
    if (::getpid() != gDeviceRootOwner) return;
    std::error_code ignored;
    fs::remove_all(processDeviceRoot(), ignored);
}

}  // namespace

const fs::path& processDeviceRoot() {
    static const fs::path root = [] {
        std::string pattern = (fs::temp_directory_path() / "snapfold-test-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        fs::path made = pattern;
        // The first call comes from a fixture's set-up, before the test starts
        // threads; a root some earlier test used by default is replaced.
        foundation::setDeviceRootForTesting(made);
        return made;
    }();
    // Registered once the root exists, so it runs before the root's own
    // destructor: every test process leaves the temporary folder as it found it.
    static const bool removedAtExit = [] {
        gDeviceRootOwner = ::getpid();
        return std::atexit(removeProcessDeviceRoot) == 0;
    }();
    (void)removedAtExit;
    return root;
}

void clearDevice() {
    const fs::path& root = processDeviceRoot();
    std::error_code ec;
    fs::remove(root / "private/var/mobile/Library/Preferences/com.veltrona.snapfold.plist", ec);
    for (const auto& entry : fs::directory_iterator(root / "private/var/mobile/Media", ec))
        fs::remove_all(entry.path(), ec);
}

fs::path buildDirectory() {
    if (const char* dir = std::getenv("SNAPFOLD_BUILD_DIR"); dir && *dir) return dir;
    std::error_code ec;
    return fs::read_symlink("/proc/self/exe", ec).parent_path().parent_path();
}

ProgramResult runProgram(const fs::path& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment, std::chrono::seconds timeout) {
    processDeviceRoot();
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);

    std::vector<std::string> argStrings{program.string()};
    argStrings.insert(argStrings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& a : argStrings) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStrings = foundation::environmentForChildProcess(environment);
    std::vector<char*> envp;
    for (auto& e : envStrings) envp.push_back(e.data());
    envp.push_back(nullptr);

    pid_t pid = 0;
    int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    ProgramResult result;
    if (spawned != 0) {
        ::close(out[0]);
        ::close(err[0]);
        result.errors = std::string("cannot start ") + program.string() + ": " + std::strerror(spawned);
        return result;
    }
    auto deadline = std::chrono::steady_clock::now() + timeout;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int open = 2;
    while (open > 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            ::kill(pid, SIGKILL);
            result.errors += "\n[killed after timeout]";
            break;
        }
        if (::poll(fds, 2, static_cast<int>(left.count())) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
            char buffer[4096];
            ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
            if (got <= 0) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            } else {
                (i == 0 ? result.output : result.errors).append(buffer, static_cast<std::size_t>(got));
            }
        }
    }
    for (auto& fd : fds)
        if (fd.fd >= 0) ::close(fd.fd);
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

namespace {
std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (auto& s : strings) out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}
}  // namespace

ChildProcess::ChildProcess(const fs::path& program, const std::vector<std::string>& arguments,
                           const std::vector<std::string>& environment, Input input) {
    processDeviceRoot();
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return;
    int in[2] = {-1, -1};
    // Writing to a child that was killed must not kill the test with SIGPIPE.
    if (input == Input::Pipe) ::signal(SIGPIPE, SIG_IGN);
    if (input == Input::Pipe && ::pipe2(in, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    if (input == Input::Pipe) {
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    } else {
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    }
    std::vector<std::string> argStrings{program.string()};
    argStrings.insert(argStrings.end(), arguments.begin(), arguments.end());
    std::vector<std::string> envStrings = foundation::environmentForChildProcess(environment);
    auto argv = pointers(argStrings);
    auto envp = pointers(envStrings);
    pid_t pid = 0;
    int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (in[0] >= 0) ::close(in[0]);
    if (spawned != 0) {
        ::close(out[0]);
        if (in[1] >= 0) ::close(in[1]);
        return;
    }
    pid_ = pid;
    output_ = out[0];
    input_ = in[1];
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !exited_) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (input_ >= 0) ::close(input_);
    if (output_ >= 0) ::close(output_);
}

void ChildProcess::writeLine(const std::string& line) {
    std::string text = line + "\n";
    // A child that died has closed the pipe: the write fails (SIGPIPE is
    // ignored once a child has an input pipe) and the test sees the death in
    // wait().
    if (input_ >= 0) (void)!::write(input_, text.data(), text.size());
}

void ChildProcess::closeInput() {
    if (input_ >= 0) ::close(input_);
    input_ = -1;
}

void ChildProcess::kill() {
    if (pid_ > 0 && !exited_) ::kill(pid_, SIGKILL);
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (auto newline = buffered_.find('\n'); newline != std::string::npos) {
            std::string line = buffered_.substr(0, newline);
            buffered_.erase(0, newline + 1);
            return line;
        }
        if (output_ < 0) return std::nullopt;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        pollfd fd{output_, POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(left.count())) <= 0) continue;
        char buffer[4096];
        ssize_t got = ::read(output_, buffer, sizeof buffer);
        if (got <= 0) {
            ::close(output_);
            output_ = -1;
            if (buffered_.empty()) return std::nullopt;
            std::string rest = std::move(buffered_);
            buffered_.clear();
            return rest;
        }
        buffered_.append(buffer, static_cast<std::size_t>(got));
    }
}

int ChildProcess::wait(std::chrono::milliseconds timeout) {
    if (pid_ <= 0) return -1;
    if (exited_) return exitCode_;
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            exited_ = true;
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return exitCode_;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            exited_ = true;
            return -1;
        }
        // Drain output meanwhile so a chatty child never blocks on a full pipe.
        if (output_ >= 0) {
            pollfd fd{output_, POLLIN, 0};
            if (::poll(&fd, 1, 10) > 0) {
                char buffer[4096];
                ssize_t got = ::read(output_, buffer, sizeof buffer);
                if (got > 0) buffered_.append(buffer, static_cast<std::size_t>(got));
                else {
                    ::close(output_);
                    output_ = -1;
                }
            }
        } else {
            ::poll(nullptr, 0, 10);
        }
    }
}

}  // namespace testsupport
