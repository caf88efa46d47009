#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/PropertyList.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;

class DeviceRootTest : public ::testing::Test {
protected:
    void SetUp() override { testsupport::processDeviceRoot(); }
};

TEST_F(DeviceRootTest, EverySpellingOfThePreferencesFolderNamesOneFile) {
    auto written = foundation::hostPath("/User/Library/Preferences/device-root-test.plist");
    std::ofstream(written) << "one file";
    for (const char* spelling : {"/private/var/mobile/Library/Preferences/device-root-test.plist",
                                 "/var/mobile/Library/Preferences/device-root-test.plist",
                                 "/var/mobile//Library/Preferences/device-root-test.plist"}) {
        auto path = foundation::hostPath(spelling);
        ASSERT_TRUE(fs::exists(path)) << spelling;
        EXPECT_TRUE(fs::equivalent(path, written)) << spelling;
    }
    fs::remove(written);
}

TEST_F(DeviceRootTest, AbsolutePathsStayInsideTheRoot) {
    const fs::path& root = foundation::deviceRoot();
    EXPECT_EQ(foundation::hostPath("/../../etc/passwd"), root / "etc/passwd");
    EXPECT_EQ(foundation::hostPath("/Library/../../../x"), root / "x");
    EXPECT_EQ(foundation::hostPath("/"), root / "");
    auto mapped = foundation::hostPath("/var/mobile/../../../../../tmp/escape").lexically_normal().string();
    EXPECT_EQ(mapped.rfind(root.string(), 0), 0u) << mapped;
}

TEST_F(DeviceRootTest, RelativePathsResolveAgainstTheWorkingDirectory) {
    EXPECT_EQ(foundation::hostPath("Library/PreferenceBundles/x.png"), fs::path("Library/PreferenceBundles/x.png"));
}

TEST_F(DeviceRootTest, PreparingTwiceKeepsTheLayout) {
    const fs::path& root = foundation::deviceRoot();
    ASSERT_TRUE(foundation::prepareDeviceRoot(root).ok());
    EXPECT_TRUE(fs::is_symlink(root / "User"));
    EXPECT_EQ(fs::read_symlink(root / "var"), fs::path("private/var")) << "links are relative so the root can move";
    EXPECT_TRUE(fs::is_directory(root / "Library/MobileSubstrate/DynamicLibraries"));
}

}  // namespace
