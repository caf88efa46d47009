#include "platform/foundation/NSLog.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <mutex>
#include <sys/syscall.h>
#include <unistd.h>

namespace foundation {

namespace {
struct LogState {
    std::mutex mutex;
    std::function<void(const std::string&)> sink;
};
LogState& logState() {
    static auto* state = new LogState;
    return *state;
}
std::string processName() {
    std::ifstream comm("/proc/self/comm");
    std::string name;
    std::getline(comm, name);
    return name.empty() ? "process" : name;
}
}  // namespace

void logMessage(std::string_view message) {
    auto& state = logState();
    std::lock_guard lock(state.mutex);
    if (state.sink) {
        state.sink(std::string(message));
        return;
    }
    auto now = std::chrono::system_clock::now();
    std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    static const std::string name = processName();
    std::fprintf(stderr, "%s.%03lld %s[%d:%ld] %.*s\n", stamp, static_cast<long long>(millis), name.c_str(),
                 static_cast<int>(::getpid()), static_cast<long>(::syscall(SYS_gettid)),
                 static_cast<int>(message.size()), message.data());
}

void setLogSinkForTesting(std::function<void(const std::string&)> sink) {
    auto& state = logState();
    std::lock_guard lock(state.mutex);
    state.sink = std::move(sink);
}

}  // namespace foundation
