// The settings file is rewritten by more than one program (the settings page,
// the settings tool) while other programs wrote it before: every writer keeps
// what it does not change exactly as it was, and two writers at once both keep
// their change.
#include "hook/SettingsSnapshot.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/PropertyList.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

using foundation::PlistValue;

const fs::path kTool = "bin/snapfold-settings";

PlistValue readSettings() {
    auto value = foundation::readPropertyListFile(foundation::hostPath(snapfold::kSettingsFilePath));
    EXPECT_TRUE(value.ok());
    return value ? std::move(value).value() : PlistValue();
}

// Seconds from the reference date (2001-01-01 UTC) to a moment in UTC.
double referenceSeconds(int year, int month, int day, int hour) {
    std::tm moment{};
    moment.tm_year = year - 1900, moment.tm_mon = month - 1, moment.tm_mday = day, moment.tm_hour = hour;
    std::tm reference{};
    reference.tm_year = 101, reference.tm_mday = 1;
    return static_cast<double>(timegm(&moment) - timegm(&reference));
}

// Files written by another program (Python's plistlib), with dates far from
// 2001, the integer limits, data and nesting.
TEST(SettingsWritersTest, ValuesWrittenByOtherProgramsComeBackUnchanged) {
    testsupport::processDeviceRoot();
    for (const char* name : {"settings-binary.plist", "settings-xml.plist"}) {
        SCOPED_TRACE(name);
        testsupport::clearDevice();
        fs::path settings = foundation::hostPath(snapfold::kSettingsFilePath);
        fs::create_directories(settings.parent_path());
        fs::copy_file(fs::path(SNAPFOLD_SOURCE_DIR) / "tests/prefs/foreign" / name, settings);
        PlistValue before = readSettings();
        ASSERT_TRUE(before.isDictionary());
        EXPECT_EQ(before.objectForKey("installed")->date()->secondsSinceReferenceDate,
                  referenceSeconds(1850, 6, 1, 12));
        EXPECT_EQ(before.objectForKey("renewal")->date()->secondsSinceReferenceDate, referenceSeconds(2100, 1, 1, 0));

        auto set = testsupport::runProgram(testsupport::buildDirectory() / kTool, {"set", "albumName", "Other"});
        ASSERT_EQ(set.exitCode, 0) << set.errors;
        PlistValue after = readSettings();
        EXPECT_EQ(*after.objectForKey("albumName")->string(), "Other");
        after.dictionary()->erase("albumName");
        before.dictionary()->erase("albumName");
        EXPECT_EQ(after, before);
    }
}

// Each round starts two tools at the same moment, each changing its own key.
TEST(SettingsWritersTest, TwoWritersAtOnceBothKeepTheirChange) {
    testsupport::processDeviceRoot();
    testsupport::clearDevice();
    const fs::path tool = testsupport::buildDirectory() / kTool;
    for (int round = 0; round < 12; ++round) {
        std::string name = "Name" + std::to_string(round), enabled = round % 2 ? "true" : "false";
        testsupport::ChildProcess album(tool, {"set", "albumName", name});
        testsupport::ChildProcess switched(tool, {"set", "isEnabled", enabled});
        ASSERT_EQ(album.wait(), 0);
        ASSERT_EQ(switched.wait(), 0);
        PlistValue settings = readSettings();
        ASSERT_TRUE(settings.objectForKey("albumName") && settings.objectForKey("isEnabled")) << round;
        EXPECT_EQ(*settings.objectForKey("albumName")->string(), name) << round;
        EXPECT_EQ(settings.objectForKey("isEnabled")->boolValue(), round % 2 == 1) << round;
    }
}

}  // namespace
