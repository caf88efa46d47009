#include "hook/SettingsSnapshot.h"
#include "platform/foundation/CFNotificationCenter.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/PropertyList.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using foundation::PlistValue;

// A second process loads the real hook library (the settings tool dlopens
// Snapfold.dylib, whose initializer subscribes and takes the first snapshot);
// this process rewrites the file atomically and posts the notification, as the
// settings page does. The other process ends with the new snapshot.
TEST(SettingsAcrossProcessesTest, AProcessThatLoadedTheHookLibraryFollowsAChange) {
    testsupport::processDeviceRoot();
    testsupport::clearDevice();
    testsupport::ChildProcess watcher(testsupport::buildDirectory() / "bin/snapfold-settings",
                                      {"watch", "--changes", "1", "--timeout", "20"});
    ASSERT_TRUE(watcher.started());
    auto first = watcher.readLine();
    ASSERT_TRUE(first);
    EXPECT_EQ(*first, "watching: isEnabled = true; albumName = \"WhatsApp\"");

    auto path = foundation::hostPath("/User/Library/Preferences/com.veltrona.snapfold.plist");
    ASSERT_TRUE(foundation::writePropertyListAtomically(
                    path, PlistValue(PlistValue::Dictionary{{"isEnabled", false}, {"albumName", "Ferries"}}))
                    .ok());
    CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(),
                                         snapfold::kSettingsChangedNotification, nullptr, nullptr, true);

    auto changed = watcher.readLine();
    ASSERT_TRUE(changed);
    EXPECT_EQ(*changed, "changed: isEnabled = false; albumName = \"Ferries\"");
    EXPECT_EQ(watcher.wait(), 0);
}

// Outside the messaging app the library still subscribes and reads the file:
// the tool's process is not the messaging app.
TEST(SettingsAcrossProcessesTest, AnyProcessLoadsTheSnapshotAtLoadTime) {
    testsupport::processDeviceRoot();
    testsupport::clearDevice();
    auto path = foundation::hostPath(snapfold::kSettingsFilePath);
    ASSERT_TRUE(
        foundation::writePropertyListAtomically(
            path, PlistValue(PlistValue::Dictionary{{"albumName", "Loaded at start"}}), foundation::PlistFormat::Binary)
            .ok());
    auto result = testsupport::runProgram(testsupport::buildDirectory() / "bin/snapfold-settings", {"show"});
    ASSERT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_EQ(result.output, "isEnabled = true; albumName = \"Loaded at start\"\n");
}

}  // namespace
