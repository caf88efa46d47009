// The figures of a save inside the messaging app:
// - a diverted save, from the call of +saveMediaAtPath:completion: with the
//   path of a 1600x1200 JPEG to the success banner, beside the app's own save
//   with the switch off (call to the app's completion);
// - what the switched-off replacement adds to a call of the app's own
//   implementation (a no-op implementation, hooked and unhooked);
// - a batch of 100 such saves through one running app process.
#include "album/ALAssetsLibrary+CustomPhotoAlbum.h"
#include "bench/support/BenchDeviceRoot.h"
#include "hook/SaveHooks.h"
#include "hook/SettingsSnapshot.h"
#include "hosts/messaging-app/AssetsLibraryManager.h"
#include "platform/assets/AssetsLibrary.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/PropertyList.h"
#include "platform/hostapp/WAAssetsLibraryManager.h"
#include "platform/runtime/Substrate.h"
#include "platform/springboard/PresentedBanner.h"
#include "platform/springboard/SBBulletinBannerController.h"
#include "tools/SampleJpegWriter.h"
#include "tools/SyntheticPhoto.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <fstream>
#include <future>
#include <mutex>
#include <spawn.h>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

constexpr const char* kPicturePath = "/var/mobile/Containers/Data/Application/Bench/tmp/harbour-1600x1200.jpg";

// A device root of the benchmark's own, the app's class and the banner
// classes registered, the hooks installed as inside the app, and the picture.
void prepareApp() {
    static bool prepared = [] {
        // The device lives as long as the run; every save has delivered by the
        // time the benchmarks return.
        benchsupport::benchDeviceRoot();
        foundation::setMainBundleIdentifierForTesting(std::string(hostapp::kMessagingAppBundleIdentifier));
        messagingapp::registerAssetsLibraryManager();
        springboard::registerBannerClasses();
        springboard::setBannerTerminal(nullptr);
        CustomPhotoAlbum::attachCategory();
        snapfold::installSaveHooks();

        auto image = sampleimages::makePhotoLikeImage(1600, 1200, imageio::PixelFormat::RGB8, 7);
        auto jpeg = sampleimages::encodeJpeg(image, 85);
        fs::path file = foundation::hostPath(kPicturePath);
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(jpeg.data()), static_cast<std::streamsize>(jpeg.size()));
        return true;
    }();
    (void)prepared;
}

void setSwitch(bool enabled) {
    (void)foundation::writePropertyListAtomically(
        foundation::hostPath(snapfold::kSettingsFilePath),
        foundation::PlistValue(foundation::PlistValue::Dictionary{{"isEnabled", enabled}}));
    snapfold::loadSettings();
}

// Counts banners as they are presented.
struct BannerCount {
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t banners = 0;
    springboard::BannerListenerToken token;

    BannerCount() {
        token = springboard::addBannerListener([this](const springboard::PresentedBanner&) {
            std::lock_guard lock(mutex);
            ++banners;
            changed.notify_all();
        });
    }
    ~BannerCount() { springboard::removeBannerListener(token); }
    void waitFor(std::size_t count) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return banners >= count; });
    }
};

void BM_DivertedSaveToBanner(benchmark::State& state) {
    prepareApp();
    setSwitch(true);
    objc::Class manager = objc::objc_getClass(hostapp::kAssetsLibraryManagerClassName);
    BannerCount count;
    // The album exists after the first save; the timed saves add to it.
    objc::msgSend(manager, hostapp::kSaveMediaAtPath, std::string(kPicturePath), hostapp::WASaveCompletion());
    count.waitFor(1);
    std::size_t expected = 1;
    for (auto _ : state) {
        objc::msgSend(manager, hostapp::kSaveMediaAtPath, std::string(kPicturePath), hostapp::WASaveCompletion());
        count.waitFor(++expected);
    }
    assets::AssetsLibraryTestSeam::drainForTesting();
}
BENCHMARK(BM_DivertedSaveToBanner)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

void BM_OwnSaveSwitchedOffToCompletion(benchmark::State& state) {
    prepareApp();
    setSwitch(false);
    objc::Class manager = objc::objc_getClass(hostapp::kAssetsLibraryManagerClassName);
    for (auto _ : state) {
        std::promise<void> completed;
        objc::msgSend(
            manager, hostapp::kSaveMediaAtPath, std::string(kPicturePath),
            hostapp::WASaveCompletion([&](foundation::NSURLRef, foundation::NSErrorRef) { completed.set_value(); }));
        completed.get_future().wait();
    }
    assets::AssetsLibraryTestSeam::drainForTesting();
    setSwitch(true);
}
BENCHMARK(BM_OwnSaveSwitchedOffToCompletion)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

// A class of no-op save methods, once as the app has it and once hooked with
// the switch off.
void noopSave(objc::id, objc::SEL, std::string path, hostapp::WASaveCompletion completion) {
    benchmark::DoNotOptimize(path.data());
    benchmark::DoNotOptimize(&completion);
}
void noopSaveImage(objc::id, objc::SEL, uikit::UIImageRef image, hostapp::WASaveCompletion completion) {
    benchmark::DoNotOptimize(image.get());
    benchmark::DoNotOptimize(&completion);
}

objc::Class noopClass(const char* name) {
    objc::Class cls = objc::objc_registerClass(name, nullptr);
    objc::Class meta = objc::object_getClass(cls);
    objc::class_addMethod(meta, hostapp::kEnqueueSavingMediaToCameraRollAtPath, &noopSave);
    objc::class_addMethod(meta, hostapp::kSaveImage, &noopSaveImage);
    objc::class_addMethod(meta, hostapp::kSaveMediaAtPath, &noopSave);
    return cls;
}

void callNoop(benchmark::State& state, objc::Class cls) {
    const std::string path = kPicturePath;
    const hostapp::WASaveCompletion completion = [](foundation::NSURLRef, foundation::NSErrorRef) {};
    for (auto _ : state) objc::msgSend(cls, hostapp::kSaveMediaAtPath, path, completion);
}

void BM_NoopSaveUnhooked(benchmark::State& state) {
    static objc::Class cls = noopClass("BenchUnhookedAssetsLibraryManager");
    callNoop(state, cls);
}
BENCHMARK(BM_NoopSaveUnhooked);

void BM_NoopSaveHookedSwitchedOff(benchmark::State& state) {
    prepareApp();
    // The same no-op class, hooked as the messaging app's class is: it takes
    // the app's class name, and the hooks' previous-implementation slots now
    // lead to it. It is registered after the benchmarks that save for real
    // and stays for the rest of the run.
    static objc::Class cls = [] {
        objc::objc_unregisterClassForTesting(hostapp::kAssetsLibraryManagerClassName);
        objc::Class hooked = noopClass(hostapp::kAssetsLibraryManagerClassName);
        snapfold::installSaveHooks();
        return hooked;
    }();
    setSwitch(false);
    callNoop(state, cls);
    setSwitch(true);
}
BENCHMARK(BM_NoopSaveHookedSwitchedOff);

// 100 saves of the picture through one running app with the tweak injected:
// the whole process, from launch to the last banner.
int runApp(const std::vector<std::string>& arguments) {
    std::vector<std::string> all{SNAPFOLD_BENCH_BUILD_DIR "/apps/WhatsApp.app/WhatsApp"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& argument : all) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);  // The tally; the progress goes to stderr.
    pid_t pid = 0;
    int status = -1;
    std::vector<std::string> environment = foundation::environmentForChildProcess();
    std::vector<char*> envp;
    for (auto& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) ::waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    return status;
}

std::size_t assetsInAlbum(const std::string& name) {
    auto library = assets::ALAssetsLibrary::create();
    std::size_t count = 0;
    std::promise<void> counted;
    library->enumerateGroupsWithTypes(
        assets::ALAssetsGroupAlbum,
        [&](assets::ALAssetsGroupRef group, bool*) {
            if (!group) return counted.set_value();
            auto groupName = group->valueForProperty(assets::ALAssetsGroupPropertyName);
            if (groupName && groupName->string() && *groupName->string() == name)
                count = static_cast<std::size_t>(group->numberOfAssets());
        },
        [&](assets::NSErrorRef) { counted.set_value(); });
    counted.get_future().wait();
    return count;
}

void BM_BatchOfHundredSavesThroughOneApp(benchmark::State& state) {
    prepareApp();
    setSwitch(true);
    const std::string root = foundation::deviceRoot().string();
    std::string install = SNAPFOLD_BENCH_SOURCE_DIR "/scripts/install-device --device-root '" + root +
                          "' --build-dir '" SNAPFOLD_BENCH_BUILD_DIR "' >/dev/null";
    if (std::system(install.c_str()) != 0) return state.SkipWithError("cannot install the tweak");
    std::vector<std::string> arguments{"save"};
    for (int i = 0; i < 100; ++i) arguments.push_back(foundation::hostPath(kPicturePath).string());

    for (auto _ : state) {
        state.PauseTiming();
        assets::AssetsLibraryTestSeam::drainForTesting();
        std::size_t before = assetsInAlbum(snapfold::kDefaultAlbumName);
        state.ResumeTiming();

        if (runApp(arguments) != 0) return state.SkipWithError("the app failed");

        state.PauseTiming();
        if (assetsInAlbum(snapfold::kDefaultAlbumName) - before != 100)
            return state.SkipWithError("not every save landed in the album");
        state.ResumeTiming();
    }
    state.counters["saves_per_second"] = benchmark::Counter(100.0 * static_cast<double>(state.iterations()),
                                                            benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BatchOfHundredSavesThroughOneApp)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
