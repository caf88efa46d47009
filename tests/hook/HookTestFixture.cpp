#include "tests/hook/HookTestFixture.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSBundle.h"
#include "platform/runtime/Substrate.h"
#include "platform/springboard/SBBulletinBannerController.h"
#include "tests/support/TestSupport.h"
#include "tools/SampleJpegWriter.h"
#include "tools/SyntheticPhoto.h"

#include <chrono>
#include <fstream>

namespace hooktest {

namespace {

constexpr auto kGenerousWait = std::chrono::seconds(20);
constexpr const char* kMediaFolder = "/var/mobile/Containers/Data/Application/HookTest/tmp/";

struct HostLog {
    std::mutex mutex;
    std::vector<HostCall> calls;
};
HostLog& hostLog() {
    static auto* log = new HostLog;
    return *log;
}

void record(HostCall call) {
    std::lock_guard lock(hostLog().mutex);
    hostLog().calls.push_back(std::move(call));
}

void ownEnqueue(objc::id self, objc::SEL cmd, std::string path, hostapp::WASaveCompletion completion) {
    record({"enqueue", self, cmd, path, nullptr});
    if (completion) completion(RecordingHost::ownAssetURL(), nullptr);
}
void ownSaveImage(objc::id self, objc::SEL cmd, uikit::UIImageRef image, hostapp::WASaveCompletion completion) {
    record({"saveImage", self, cmd, {}, image});
    if (completion) completion(RecordingHost::ownAssetURL(), nullptr);
}
void ownSaveMedia(objc::id self, objc::SEL cmd, std::string path, hostapp::WASaveCompletion completion) {
    record({"saveMedia", self, cmd, path, nullptr});
    if (completion) completion(RecordingHost::ownAssetURL(), nullptr);
}

struct HookLog {
    std::mutex mutex;
    std::vector<HookCall> calls;
};
HookLog& hookLog() {
    static auto* log = new HookLog;
    return *log;
}

}  // namespace

void unregisterClass(const char* name) {
    static auto* unregistered = new std::vector<objc::Class>;
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    if (objc::Class cls = objc::objc_getClass(name)) unregistered->push_back(cls);
    objc::objc_unregisterClassForTesting(name);
}

objc::Class RecordingHost::registerFresh() {
    unregisterClass(hostapp::kAssetsLibraryManagerClassName);
    objc::Class cls = objc::objc_registerClass(hostapp::kAssetsLibraryManagerClassName, nullptr);
    objc::Class meta = objc::object_getClass(cls);
    objc::class_addMethod(meta, hostapp::kEnqueueSavingMediaToCameraRollAtPath, &ownEnqueue);
    objc::class_addMethod(meta, hostapp::kSaveImage, &ownSaveImage);
    objc::class_addMethod(meta, hostapp::kSaveMediaAtPath, &ownSaveMedia);
    std::lock_guard lock(hostLog().mutex);
    hostLog().calls.clear();
    return cls;
}

std::vector<HostCall> RecordingHost::calls() {
    std::lock_guard lock(hostLog().mutex);
    return hostLog().calls;
}

foundation::NSURLRef RecordingHost::ownAssetURL() {
    static const auto* url = new foundation::NSURLRef(
        foundation::NSURL::URLWithString("assets-library://asset/asset.JPG?id=OWN-SAVE&ext=JPG"));
    return *url;
}

std::vector<HookCall> recordedHookCalls() {
    std::lock_guard lock(hookLog().mutex);
    return hookLog().calls;
}

void clearRecordedHookCalls() {
    std::lock_guard lock(hookLog().mutex);
    hookLog().calls.clear();
}

void recordingHookFunction(objc::Class cls, objc::SEL selector, objc::IMP replacement, objc::IMP* result) {
    MSHookMessageEx(cls, selector, replacement, result);
    std::lock_guard lock(hookLog().mutex);
    hookLog().calls.push_back(
        {cls, std::string(objc::sel_getName(selector)), replacement, result, result ? *result : nullptr});
}

BannerCollector::BannerCollector() {
    token_ = springboard::addBannerListener([this](const springboard::PresentedBanner& banner) {
        std::lock_guard lock(mutex_);
        banners_.push_back(banner);
        changed_.notify_all();
    });
}

BannerCollector::~BannerCollector() { springboard::removeBannerListener(token_); }

std::vector<springboard::PresentedBanner> BannerCollector::waitFor(std::size_t count) {
    {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, kGenerousWait, [&] { return banners_.size() >= count; });
    }
    assets::AssetsLibraryTestSeam::drainForTesting();
    std::lock_guard lock(mutex_);
    return banners_;
}

hostapp::WASaveCompletion CompletionRecord::completion() {
    return [this](foundation::NSURLRef url, foundation::NSErrorRef error) {
        std::lock_guard lock(mutex);
        calls.emplace_back(std::move(url), std::move(error));
    };
}

std::size_t CompletionRecord::count() {
    std::lock_guard lock(mutex);
    return calls.size();
}

void HookTest::SetUp() {
    testsupport::processDeviceRoot();
    assets::AssetsLibraryTestSeam::resetForTesting();
    assets::AssetsLibraryTestSeam::drainForTesting();
    testsupport::clearDevice();
    snapfold::resetSettingsSnapshotForTesting();
    CustomPhotoAlbum::attachCategory();
    springboard::registerBannerClasses();
    springboard::setBannerTerminal(nullptr);
    springboard::clearPresentedBannersForTesting();
    foundation::setMainBundleIdentifierForTesting(std::string(hostapp::kMessagingAppBundleIdentifier));
    clearRecordedHookCalls();
    snapfold::setMessageHookFunctionForTesting(&recordingHookFunction);
    managerClass = RecordingHost::registerFresh();
}

void HookTest::TearDown() {
    assets::AssetsLibraryTestSeam::resetForTesting();
    assets::AssetsLibraryTestSeam::drainForTesting();
    snapfold::setMessageHookFunctionForTesting(nullptr);
    snapfold::setAssetsLibraryFactoryForTesting(nullptr);
    snapfold::resetSettingsSnapshotForTesting();
}

void HookTest::writeSettings(foundation::PlistValue::Dictionary settings) {
    ASSERT_TRUE(foundation::writePropertyListAtomically(foundation::hostPath(snapfold::kSettingsFilePath),
                                                        foundation::PlistValue(std::move(settings)))
                    .ok());
    snapfold::loadSettings();
}

std::string HookTest::writeJpeg(const std::string& name, std::uint32_t seed) {
    auto image = sampleimages::makePhotoLikeImage(64, 48, imageio::PixelFormat::RGB8, seed);
    return writeFile(name, sampleimages::encodeJpeg(image, 90));
}

std::string HookTest::writeFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::string devicePath = std::string(kMediaFolder) + name;
    auto hostFile = foundation::hostPath(devicePath);
    std::filesystem::create_directories(hostFile.parent_path());
    std::ofstream out(hostFile, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return devicePath;
}

std::vector<std::uint8_t> HookTest::minimalMp4() {
    const char box[] =
        "\0\0\0\x18"
        "ftyp"
        "isom"
        "\0\0\x02\0"
        "isom"
        "mp42"
        "\0\0\0\x08"
        "mdat";
    return std::vector<std::uint8_t>(box, box + sizeof box - 1);
}

}  // namespace hooktest
