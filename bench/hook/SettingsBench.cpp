// The settings snapshot's figures: loadSettings on a typical file, and the
// time from a post in this process to the end of loadSettings in another
// process that loaded the hook library.
#include "bench/support/BenchDeviceRoot.h"
#include "hook/SettingsSnapshot.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/PropertyList.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

void useBenchDeviceRoot() {
    static bool done = [] {
        benchsupport::benchDeviceRoot();
        // A typical file, as the settings page writes it.
        foundation::PlistValue::Dictionary settings{{"isEnabled", true}, {"albumName", "Harbour trips"}};
        (void)foundation::writePropertyListAtomically(
            foundation::hostPath("/User/Library/Preferences/com.veltrona.snapfold.plist"),
            foundation::PlistValue(settings));
        return true;
    }();
    (void)done;
}

void BM_LoadSettingsTypicalFile(benchmark::State& state) {
    useBenchDeviceRoot();
    for (auto _ : state) snapfold::loadSettings();
    if (*snapfold::albumName() != "Harbour trips") state.SkipWithError("the file was not read");
}
BENCHMARK(BM_LoadSettingsTypicalFile)->Unit(benchmark::kMicrosecond);

fs::path toolPath() {
    char self[4096];
    ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    self[n > 0 ? n : 0] = '\0';
    return fs::path(self).parent_path() / "snapfold-settings";
}

// The other process prints one line after each reload (its observer runs
// right after the hook library's own); the time to that line is an upper
// bound of post -> loadSettings finished.
void BM_PostToReloadInAnotherProcess(benchmark::State& state) {
    useBenchDeviceRoot();
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return state.SkipWithError("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::string program = toolPath().string();
    std::string a1 = "watch";
    char* argv[] = {program.data(), a1.data(), nullptr};
    pid_t pid = 0;
    std::vector<std::string> environment = foundation::environmentForChildProcess();
    std::vector<char*> envp;
    for (auto& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    if (::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data()) != 0)
        return state.SkipWithError("cannot start snapfold-settings");
    ::close(out[1]);

    auto readLine = [&](int timeoutMs) {
        std::string line;
        char c;
        while (true) {
            pollfd fd{out[0], POLLIN, 0};
            if (::poll(&fd, 1, timeoutMs) <= 0) return false;
            if (::read(out[0], &c, 1) != 1) return false;
            if (c == '\n') return true;
        }
    };
    if (!readLine(10000)) return state.SkipWithError("watcher did not start");

    std::vector<double> samples;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(),
                                             snapfold::kSettingsChangedNotification, nullptr, nullptr, true);
        if (!readLine(5000)) {
            state.SkipWithError("no reload seen");
            break;
        }
        samples.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    ::close(out[0]);
    if (samples.empty()) return;
    std::sort(samples.begin(), samples.end());
    state.counters["median_us"] = samples[samples.size() / 2];
    state.counters["p99_us"] = samples[std::min(samples.size() - 1, samples.size() * 99 / 100)];
}
BENCHMARK(BM_PostToReloadInAnotherProcess)->Iterations(2000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
