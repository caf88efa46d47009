// The messaging app's own pieces: receiving media into its container, and the
// notification fence it passes before each command.
#include "hosts/messaging-app/NotificationFence.h"
#include "hosts/messaging-app/ReceivedMedia.h"
#include "platform/foundation/CFNotificationCenter.h"
#include "platform/foundation/DeviceRoot.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class ReceivedMediaTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::processDeviceRoot();
        outside = testsupport::processDeviceRoot().string() + "-outside";
        fs::create_directories(outside);
    }
    void TearDown() override { fs::remove_all(outside); }

    static void write(const fs::path& file, const std::string& bytes) {
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
    }
    static std::string read(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    fs::path outside;
};

TEST_F(ReceivedMediaTest, AFileFromOutsideIsCopiedIntoTheAppAndRemovedAfterwards) {
    write(outside / "photo one.jpg", "jpeg bytes");
    fs::path copy;
    {
        messagingapp::ReceivedMedia media;
        auto devicePath = media.receive(outside / "photo one.jpg");
        ASSERT_TRUE(devicePath.ok()) << devicePath.error().message;
        EXPECT_TRUE(devicePath.value().starts_with(std::string(messagingapp::kReceivedMediaFolder) + "/"));
        EXPECT_TRUE(devicePath.value().ends_with("photo one.jpg"));
        copy = foundation::hostPath(devicePath.value());
        EXPECT_EQ(read(copy), "jpeg bytes");

        // The same file received twice gets two names.
        auto again = media.receive(outside / "photo one.jpg");
        ASSERT_TRUE(again.ok());
        EXPECT_NE(again.value(), devicePath.value());
    }
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_TRUE(fs::exists(outside / "photo one.jpg"));
}

// A killed app leaves its copies; the next app removes those of processes
// that no longer run, and only those. A name as long as the file system
// allows still fits once the app's prefix is added.
TEST_F(ReceivedMediaTest, CopiesOfEndedAppsGoAndLongNamesFit) {
    std::string longName = std::string(245, 'n') + ".jpeg";  // 250 bytes
    write(outside / longName, "jpeg bytes");
    messagingapp::ReceivedMedia media;
    auto live = media.receive(outside / longName);
    ASSERT_TRUE(live.ok()) << live.error().message;
    EXPECT_TRUE(live.value().ends_with(".jpeg"));

    fs::path folder = foundation::hostPath(messagingapp::kReceivedMediaFolder);
    std::string pid = std::to_string(::getpid());
    for (const char* name : {"999999999.7-1-ended.jpg", "999999999-3-older app.jpg", "reused-id"})
        write(folder / name, "x");
    write(folder / (pid + ".1-1-same id, earlier start.jpg"), "x");
    EXPECT_EQ(messagingapp::ReceivedMedia::removeCopiesOfEndedProcesses(), 3u);
    EXPECT_TRUE(fs::exists(foundation::hostPath(live.value()))) << "a running app's copy stays";
    EXPECT_TRUE(fs::exists(folder / "reused-id")) << "a file of no app stays";
    EXPECT_FALSE(fs::exists(folder / "999999999.7-1-ended.jpg"));
}

TEST_F(ReceivedMediaTest, AFileInsideTheDeviceKeepsItsPlace) {
    fs::path inside = testsupport::processDeviceRoot() / "private/var/mobile/Media/Downloads/clip.mp4";
    write(inside, "movie");
    messagingapp::ReceivedMedia media;
    auto devicePath = media.receive(inside);
    ASSERT_TRUE(devicePath.ok());
    EXPECT_EQ(devicePath.value(), "/private/var/mobile/Media/Downloads/clip.mp4");
}

TEST_F(ReceivedMediaTest, WhatIsNoReadableFileIsRefused) {
    messagingapp::ReceivedMedia media;
    auto missing = media.receive(outside / "missing.jpg");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code, foundation::ErrorCode::NotFound);
    auto folder = media.receive(outside);
    ASSERT_FALSE(folder.ok());
    EXPECT_EQ(folder.error().code, foundation::ErrorCode::InvalidArgument);
}

std::atomic<int> gEarlierDeliveries{0};
void earlierArrived(CFNotificationCenterRef, void*, CFStringRef, const void*, CFDictionaryRef) { ++gEarlierDeliveries; }

// Whatever was posted before the fence has reached its observers when the
// fence is passed, in the same batch of deliveries or an earlier one.
TEST(NotificationFenceTest, PassingItDeliversEverythingPostedBefore) {
    testsupport::processDeviceRoot();
    const char* name = "com.veltrona.snapfold/settingschanged";
    static int observer;
    gEarlierDeliveries = 0;
    CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), &observer, &earlierArrived, name,
                                    nullptr, CFNotificationSuspensionBehaviorCoalesce);
    messagingapp::NotificationFence fence;
    for (int round = 1; round <= 20; ++round) {
        CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(), name, nullptr, nullptr, true);
        ASSERT_TRUE(fence.pass());
        EXPECT_EQ(gEarlierDeliveries.load(), round);
    }
    CFNotificationCenterRemoveObserver(CFNotificationCenterGetDarwinNotifyCenter(), &observer, name, nullptr);
}

}  // namespace
