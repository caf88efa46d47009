// Resident memory of one messaging app that keeps running while it saves a
// small picture over and over, as a long chat session does: read after 1,000
// and after 10,000 diverted saves. A long-running app must reach a plateau,
// so the two should lie within 2 MB of each other. The same run without the
// banner classes is the peer that shows what the banners themselves cost.
#include "platform/imageio/ImageCodecs.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kSavesPerWait = 500;

// A temporary device root with the tweak installed and the album made, so
// that every save adds to an existing album. Removed when it goes.
class SoakDevice {
public:
    SoakDevice() {
        std::string pattern = (fs::temp_directory_path() / "snapfold-soak-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) return;
        root_ = pattern;
        std::string install = SNAPFOLD_BENCH_SOURCE_DIR "/scripts/install-device --device-root '" + root_.string() +
                              "' --build-dir '" SNAPFOLD_BENCH_BUILD_DIR "' >/dev/null";
        std::string album = SNAPFOLD_BENCH_BUILD_DIR "/bin/snapfold-library --device-root '" + root_.string() +
                            "' create-album WhatsApp >/dev/null";
        if (std::system(install.c_str()) != 0 || std::system(album.c_str()) != 0) return;
        picture_ = root_ / "private/var/mobile/Media/Downloads/chat-16x16.png";
        fs::create_directories(picture_.parent_path());
        imageio::CGImage image;
        image.width = image.height = 16;
        image.format = imageio::PixelFormat::RGB8;
        image.pixels.resize(16 * 16 * 3);
        for (std::size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = static_cast<std::uint8_t>(i * 7);
        auto png = imageio::encodePNG(image);
        std::ofstream(picture_, std::ios::binary)
            .write(reinterpret_cast<const char*>(png->data()), static_cast<std::streamsize>(png->size()));
        ready_ = true;
    }
    ~SoakDevice() {
        std::error_code ignored;
        if (!root_.empty()) fs::remove_all(root_, ignored);
    }
    bool ready() const { return ready_; }
    const fs::path& root() const { return root_; }
    const fs::path& picture() const { return picture_; }

private:
    fs::path root_;
    fs::path picture_;
    bool ready_ = false;
};

// The app in interactive mode: commands go to its standard input, and its
// answer to "wait" says when every save so far has delivered.
class RunningApp {
public:
    RunningApp(const SoakDevice& device, bool bannerClasses) {
        std::vector<std::string> arguments{SNAPFOLD_BENCH_BUILD_DIR "/apps/WhatsApp.app/WhatsApp", "--device-root",
                                           device.root().string()};
        if (!bannerClasses) arguments.push_back("--no-banner-classes");
        arguments.push_back("interactive");
        std::vector<char*> argv;
        for (auto& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        int in[2], out[2];
        if (::pipe2(in, O_CLOEXEC) != 0) return;
        if (::pipe2(out, O_CLOEXEC) != 0) {
            ::close(in[0]);
            ::close(in[1]);
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        input_ = in[1];
        output_ = out[0];
    }
    ~RunningApp() {
        if (input_ >= 0) ::close(input_);
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (output_ >= 0) ::close(output_);
    }

    // Sends `count` saves and waits until all have delivered; false when the
    // app stopped answering.
    bool save(const fs::path& picture, int count) {
        std::string commands;
        for (int i = 0; i < count; ++i) commands += "save " + picture.string() + "\n";
        commands += "wait\n";
        if (!writeAll(commands)) return false;
        return skipUntil("WhatsApp: delivered ");
    }

    // VmRSS from /proc, in bytes.
    std::optional<double> residentBytes() const {
        std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.starts_with("VmRSS:")) return std::stod(line.substr(6)) * 1024.0;
        return std::nullopt;
    }

private:
    bool writeAll(const std::string& text) {
        for (std::size_t written = 0; written < text.size();) {
            ssize_t n = ::write(input_, text.data() + written, text.size() - written);
            if (n <= 0) return false;
            written += static_cast<std::size_t>(n);
        }
        return true;
    }
    // Reads the app's output (banners and all) until a line starts with `prefix`.
    bool skipUntil(const std::string& prefix) {
        for (;;) {
            for (std::size_t newline; (newline = buffered_.find('\n')) != std::string::npos;) {
                bool found = buffered_.compare(0, prefix.size(), prefix) == 0;
                buffered_.erase(0, newline + 1);
                if (found) return true;
            }
            char chunk[65536];
            ssize_t n = ::read(output_, chunk, sizeof chunk);
            if (n <= 0) return false;
            buffered_.append(chunk, static_cast<std::size_t>(n));
        }
    }

    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    std::string buffered_;
};

void BM_ResidentMemoryOverTenThousandSaves(benchmark::State& state) {
    const bool bannerClasses = state.range(0) != 0;
    for (auto _ : state) {
        SoakDevice device;
        if (!device.ready()) return state.SkipWithError("cannot prepare the device root");
        RunningApp app(device, bannerClasses);
        std::optional<double> after1000, after10000;
        for (int saved = 0; saved < 10000; saved += kSavesPerWait) {
            if (!app.save(device.picture(), kSavesPerWait)) return state.SkipWithError("the app stopped answering");
            if (saved + kSavesPerWait == 1000) after1000 = app.residentBytes();
        }
        after10000 = app.residentBytes();
        if (!after1000 || !after10000) return state.SkipWithError("cannot read the app's resident memory");
        constexpr double kMB = 1024.0 * 1024.0;
        state.counters["rss_after_1000_MB"] = *after1000 / kMB;
        state.counters["rss_after_10000_MB"] = *after10000 / kMB;
        state.counters["growth_MB"] = (*after10000 - *after1000) / kMB;
    }
    state.counters["saves_per_second"] = benchmark::Counter(10000.0 * static_cast<double>(state.iterations()),
                                                            benchmark::Counter::kIsRate);
}
// Argument: 1 with the banner classes in the app, 0 without (the peer).
BENCHMARK(BM_ResidentMemoryOverTenThousandSaves)
    ->ArgName("banners")
    ->Arg(1)
    ->Arg(0)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
