#include "platform/foundation/CFNotificationCenter.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSLog.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <fstream>
#include <future>
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

// The log lines of the notify center (which logs from its own thread).
class LogLines {
public:
    LogLines() {
        foundation::setLogSinkForTesting([this](const std::string& line) {
            std::lock_guard lock(mutex_);
            lines_.push_back(line);
        });
    }
    ~LogLines() { foundation::setLogSinkForTesting(nullptr); }
    std::size_t countContaining(const std::string& text) {
        std::lock_guard lock(mutex_);
        return std::count_if(lines_.begin(), lines_.end(),
                             [&](const auto& line) { return line.find(text) != line.npos; });
    }

private:
    std::mutex mutex_;
    std::vector<std::string> lines_;
};

// The notification folder is shared: junk in it is passed over (and reported
// once per name, however many wake-ups it takes part in), while real posts
// keep arriving. A long name either has a file name that reads back as it, or
// is refused at the post.
TEST_F(NotifyCenterTest, StrayFilesAndLongNamesNeverStopDelivery) {
    LogLines log;
    const std::string longName = std::string(199, 'n') + "/" + std::string(50, 'm');
    const std::string tooLong(300, 'x');
    for (const std::string& name : {std::string("test.notify/after-strays"), longName, tooLong})
        CFNotificationCenterAddObserver(center, &received, &record, name.c_str(), nullptr,
                                        CFNotificationSuspensionBehaviorCoalesce);
    const std::vector<std::string> strays{"x%GG", "x%", "x%4", "%2f", "%41", ".hidden", "a%00b", "~%%"};
    auto folder = foundation::notificationDirectory();
    for (int round = 1; round <= 2; ++round) {
        for (const std::string& stray : strays) std::ofstream(folder / stray) << "stray";
        CFNotificationCenterPostNotification(center, "test.notify/after-strays", nullptr, nullptr, true);
        ASSERT_TRUE(received.waitFor(round));
    }
    CFNotificationCenterPostNotification(center, tooLong.c_str(), nullptr, nullptr, true);
    CFNotificationCenterPostNotification(center, longName.c_str(), nullptr, nullptr, true);
    ASSERT_TRUE(received.waitFor(3));
    {
        std::lock_guard lock(received.mutex);
        EXPECT_EQ(received.names,
                  (std::vector<std::string>{"test.notify/after-strays", "test.notify/after-strays", longName}));
    }
    EXPECT_EQ(log.countContaining("cannot post \"" + tooLong + "\""), 1u);
    for (const std::string& stray : strays) {
        EXPECT_EQ(log.countContaining("ignoring \"" + stray + "\""), 1u) << stray;
        std::filesystem::remove(folder / stray);
    }
}

// A name is delivered only after everything posted before it, even when both
// were read in one wake-up: what the messaging app's fence relies on.
TEST_F(NotifyCenterTest, ANameArrivesAfterEverythingPostedBeforeIt) {
    std::promise<void> holding, release;
    std::shared_future<void> released = release.get_future().share();
    struct Hold {
        std::promise<void>* holding;
        std::shared_future<void> released;
    } hold{&holding, released};
    CFNotificationCenterAddObserver(
        center, &hold,
        [](CFNotificationCenterRef, void* observer, CFStringRef, const void*, CFDictionaryRef) {
            auto* held = static_cast<Hold*>(observer);
            held->holding->set_value();
            held->released.wait();
        },
        "test.notify/hold", nullptr, CFNotificationSuspensionBehaviorCoalesce);
    const std::string before = "test.notify/\xC3\xA9t\xC3\xA9", fence = "test.notify/fence";
    for (const std::string& name : {before, fence})
        CFNotificationCenterAddObserver(center, &received, &record, name.c_str(), nullptr,
                                        CFNotificationSuspensionBehaviorCoalesce);
    // While the notify thread is held, both posts queue up for one wake-up.
    CFNotificationCenterPostNotification(center, "test.notify/hold", nullptr, nullptr, true);
    holding.get_future().wait();
    CFNotificationCenterPostNotification(center, before.c_str(), nullptr, nullptr, true);
    CFNotificationCenterPostNotification(center, fence.c_str(), nullptr, nullptr, true);
    release.set_value();
    ASSERT_TRUE(received.waitFor(2));
    CFNotificationCenterRemoveEveryObserver(center, &hold);
    std::lock_guard lock(received.mutex);
    EXPECT_EQ(received.names, (std::vector<std::string>{before, fence}));
}

}  // namespace
