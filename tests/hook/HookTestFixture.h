// Fixtures for the save hooks' tests: a messaging-app class that records what
// reaches its own implementations, a photo library in the test's device root,
// the home screen's banner classes, and waiting for banners without sleeping.
#pragma once

#include "album/ALAssetsLibrary+CustomPhotoAlbum.h"
#include "hook/SaveHooks.h"
#include "hook/SettingsSnapshot.h"
#include "platform/assets/AssetsLibrary.h"
#include "platform/hostapp/WAAssetsLibraryManager.h"
#include "platform/springboard/PresentedBanner.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace hooktest {

// One call that reached the app's own implementation.
struct HostCall {
    std::string selector;
    objc::id receiver = nullptr;
    objc::SEL cmd = nullptr;
    std::string path;
    uikit::UIImageRef image;
};

// The messaging app's class, with implementations that record each call and
// answer the app's completion at once with a URL of their own.
class RecordingHost {
public:
    // Registers a fresh class under the app's class name (the previous one, if
    // any, is dropped from the registry) and forgets earlier calls.
    static objc::Class registerFresh();
    static std::vector<HostCall> calls();
    static foundation::NSURLRef ownAssetURL();
};

// Takes a class out of the name registry. The runtime never frees a class
// object; this keeps the ones taken out reachable, as they were.
void unregisterClass(const char* name);

// Every MSHookMessageEx call made by the hook installation, in order.
struct HookCall {
    objc::Class cls;
    std::string selector;
    objc::IMP replacement;
    objc::IMP* slot;
    objc::IMP previous;  // what the slot received
};
std::vector<HookCall> recordedHookCalls();
void clearRecordedHookCalls();
void recordingHookFunction(objc::Class cls, objc::SEL selector, objc::IMP replacement, objc::IMP* result);

// Collects banners as they are presented.
class BannerCollector {
public:
    BannerCollector();
    ~BannerCollector();
    // Waits until `count` banners have been presented, then until the photo
    // library has nothing left in flight; the banners so far.
    std::vector<springboard::PresentedBanner> waitFor(std::size_t count);

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<springboard::PresentedBanner> banners_;
    springboard::BannerListenerToken token_;
};

// What the app's completion received.
struct CompletionRecord {
    std::mutex mutex;
    std::vector<std::pair<foundation::NSURLRef, foundation::NSErrorRef>> calls;
    hostapp::WASaveCompletion completion();
    std::size_t count();
};

class HookTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the settings file as the settings page does and reloads the
    // snapshot, as the notification would.
    static void writeSettings(foundation::PlistValue::Dictionary settings);
    // A JPEG at a device path in the app's container; its device path.
    static std::string writeJpeg(const std::string& name, std::uint32_t seed);
    // Any bytes at a device path; its device path.
    static std::string writeFile(const std::string& name, const std::vector<std::uint8_t>& bytes);
    // The start of an MPEG-4 video: file-type box and an empty media box.
    static std::vector<std::uint8_t> minimalMp4();

    objc::Class managerClass = nullptr;
};

}  // namespace hooktest
