#include "platform/foundation/CFNotificationCenter.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Received {
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::string> names;
    std::vector<std::thread::id> threads;

    bool waitFor(std::size_t count) {
        std::unique_lock lock(mutex);
        return arrived.wait_for(lock, std::chrono::seconds(10), [&] { return names.size() >= count; });
    }
};

void record(CFNotificationCenterRef, void* observer, CFStringRef name, const void* object, CFDictionaryRef info) {
    auto* received = static_cast<Received*>(observer);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(info, nullptr);
    std::lock_guard lock(received->mutex);
    received->names.emplace_back(name);
    received->threads.push_back(std::this_thread::get_id());
    received->arrived.notify_all();
}

class NotifyCenterTest : public ::testing::Test {
protected:
    void SetUp() override { testsupport::processDeviceRoot(); }
    void TearDown() override { CFNotificationCenterRemoveEveryObserver(center, &received); }

    CFNotificationCenterRef center = CFNotificationCenterGetDarwinNotifyCenter();
    Received received;
};

TEST_F(NotifyCenterTest, PostReachesObserversOfThatNameOnTheCentersThread) {
    CFNotificationCenterAddObserver(center, &received, &record, "test.notify/first", nullptr,
                                    CFNotificationSuspensionBehaviorCoalesce);
    CFNotificationCenterPostNotification(center, "test.notify/other", nullptr, nullptr, true);
    CFNotificationCenterPostNotification(center, "test.notify/first", nullptr, nullptr, true);
    ASSERT_TRUE(received.waitFor(1));
    std::lock_guard lock(received.mutex);
    EXPECT_EQ(received.names, std::vector<std::string>{"test.notify/first"});
    EXPECT_NE(received.threads.front(), std::this_thread::get_id());
}

TEST_F(NotifyCenterTest, NullNameIsRefusedAndRemovedObserversHearNothing) {
    CFNotificationCenterAddObserver(center, &received, &record, nullptr, nullptr,
                                    CFNotificationSuspensionBehaviorCoalesce);
    CFNotificationCenterAddObserver(center, &received, &record, "test.notify/removed", nullptr,
                                    CFNotificationSuspensionBehaviorCoalesce);
    CFNotificationCenterRemoveObserver(center, &received, "test.notify/removed", nullptr);

    Received witness;
    CFNotificationCenterAddObserver(center, &witness, &record, "test.notify/removed", nullptr,
                                    CFNotificationSuspensionBehaviorCoalesce);
    CFNotificationCenterPostNotification(center, "test.notify/removed", nullptr, nullptr, true);
    ASSERT_TRUE(witness.waitFor(1)) << "the delivery happened";
    CFNotificationCenterRemoveEveryObserver(center, &witness);
    std::lock_guard lock(received.mutex);
    EXPECT_TRUE(received.names.empty());
}

TEST_F(NotifyCenterTest, PostsFromAnotherProcessArrive) {
    CFNotificationCenterAddObserver(center, &received, &record, "com.veltrona.snapfold/settingschanged", nullptr,
                                    CFNotificationSuspensionBehaviorCoalesce);
    auto tool = testsupport::buildDirectory() / "bin/snapfold-settings";
    auto result = testsupport::runProgram(tool, {"set", "albumName", "From another process"});
    ASSERT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_TRUE(received.waitFor(1));
}

// Names with characters that cannot stand in a file name still map to one
// notification each.
TEST_F(NotifyCenterTest, UnusualNamesAreKeptApart) {
    const char* names[] = {"a/b", "a%2Fb", ".hidden", "with space"};
    for (const char* name : names)
        CFNotificationCenterAddObserver(center, &received, &record, name, nullptr,
                                        CFNotificationSuspensionBehaviorCoalesce);
    for (const char* name : names) {
        std::size_t before;
        {
            std::lock_guard lock(received.mutex);
            before = received.names.size();
        }
        CFNotificationCenterPostNotification(center, name, nullptr, nullptr, true);
        ASSERT_TRUE(received.waitFor(before + 1));
        std::lock_guard lock(received.mutex);
        EXPECT_EQ(received.names.back(), name);
    }
}

}  // namespace
