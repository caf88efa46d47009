// kCFCoreFoundationVersionNumber: from the device's system version, through
// the platform's table.
#include "platform/foundation/CoreFoundationVersion.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/PropertyList.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using foundation::coreFoundationVersionForSystemVersion;

TEST(CoreFoundationVersionTest, ReleasesOfTheTableAnswerTheirOwnVersion) {
    EXPECT_DOUBLE_EQ(*coreFoundationVersionForSystemVersion("8.0"), 1140.10);
    EXPECT_DOUBLE_EQ(*coreFoundationVersionForSystemVersion("8.1"), 1141.14);
    EXPECT_DOUBLE_EQ(*coreFoundationVersionForSystemVersion("8.2"), 1142.16);
    EXPECT_DOUBLE_EQ(*coreFoundationVersionForSystemVersion("8.3"), 1144.17);
    EXPECT_DOUBLE_EQ(*coreFoundationVersionForSystemVersion("8.4"), 1145.15);
    EXPECT_DOUBLE_EQ(*coreFoundationVersionForSystemVersion("9.0"), 1240.10);
    EXPECT_DOUBLE_EQ(*coreFoundationVersionForSystemVersion("9.3"), 1242.13);
    EXPECT_DOUBLE_EQ(*coreFoundationVersionForSystemVersion("10.0"), 1348.00);
    EXPECT_DOUBLE_EQ(*coreFoundationVersionForSystemVersion("11.0"), 1443.00);
    EXPECT_DOUBLE_EQ(*coreFoundationVersionForSystemVersion("12.0"), 1556.00);
    EXPECT_DOUBLE_EQ(*coreFoundationVersionForSystemVersion("13.0"), 1665.15);
}

TEST(CoreFoundationVersionTest, PointReleasesKeepTheirMinorReleasesVersion) {
    EXPECT_DOUBLE_EQ(*coreFoundationVersionForSystemVersion("8.4.1"), 1145.15);
    EXPECT_DOUBLE_EQ(*coreFoundationVersionForSystemVersion("9.3.5"), 1242.13);
    // A minor release the table skips takes the one before it.
    EXPECT_DOUBLE_EQ(*coreFoundationVersionForSystemVersion("10.1"), 1348.00);
    EXPECT_DOUBLE_EQ(*coreFoundationVersionForSystemVersion("12"), 1556.00);
}

TEST(CoreFoundationVersionTest, VersionsOutsideTheTableTakeItsEnds) {
    EXPECT_DOUBLE_EQ(*coreFoundationVersionForSystemVersion("1.0"), 478.23);
    EXPECT_GE(*coreFoundationVersionForSystemVersion("99.0"), *coreFoundationVersionForSystemVersion("16.0"));
}

TEST(CoreFoundationVersionTest, TextThatIsNoVersionAnswersNothing) {
    for (const char* text : {"", "abc", "8.", "8.x", "8.3.", "8.3.1.2", "-8.3", " 8.3", "8..3"})
        EXPECT_FALSE(coreFoundationVersionForSystemVersion(text)) << '"' << text << '"';
}

class DeviceCoreFoundationVersionTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::processDeviceRoot();
        foundation::setCoreFoundationVersionNumberForTesting(std::nullopt);
        std::filesystem::remove(systemVersionFile());
    }
    void TearDown() override { std::filesystem::remove(systemVersionFile()); }
    static std::filesystem::path systemVersionFile() {
        return foundation::hostPath(foundation::kSystemVersionPlistPath);
    }
    static void writeSystemVersion(foundation::PlistValue productVersion) {
        ASSERT_TRUE(foundation::writePropertyListAtomically(
                        systemVersionFile(),
                        foundation::PlistValue(foundation::NSDictionary{{"ProductName", "iPhone OS"},
                                                                        {"ProductVersion", std::move(productVersion)}}))
                        .ok());
    }
};

TEST_F(DeviceCoreFoundationVersionTest, FollowsTheDevicesSystemVersion) {
    writeSystemVersion("9.3");
    EXPECT_DOUBLE_EQ(foundation::kCFCoreFoundationVersionNumber(), 1242.13);
    writeSystemVersion("8.3");
    EXPECT_DOUBLE_EQ(foundation::kCFCoreFoundationVersionNumber(), 1144.17);
}

TEST_F(DeviceCoreFoundationVersionTest, AMissingOrUnusableFileAnswersTheDefault) {
    EXPECT_DOUBLE_EQ(foundation::kCFCoreFoundationVersionNumber(), 1145.15);
    writeSystemVersion(9);  // Not a string.
    EXPECT_DOUBLE_EQ(foundation::kCFCoreFoundationVersionNumber(), 1145.15);
    writeSystemVersion("nine");
    EXPECT_DOUBLE_EQ(foundation::kCFCoreFoundationVersionNumber(), 1145.15);
}

TEST_F(DeviceCoreFoundationVersionTest, TheTestSeamOverridesTheDevice) {
    writeSystemVersion("13.0");
    foundation::setCoreFoundationVersionNumberForTesting(1300.5);
    EXPECT_DOUBLE_EQ(foundation::kCFCoreFoundationVersionNumber(), 1300.5);
    foundation::setCoreFoundationVersionNumberForTesting(std::nullopt);
    EXPECT_DOUBLE_EQ(foundation::kCFCoreFoundationVersionNumber(), 1665.15);
}

}  // namespace
