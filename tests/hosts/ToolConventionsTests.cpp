// Every program and script follows the same command-line conventions: --help
// on standard output with exit 0, --version, a usage error that names the bad
// argument with exit 2, and nothing made on disk for any of these.
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;

namespace {

TEST(ToolConventionsTest, HelpVersionAndUsageErrorsAnswerAsExpectedAndTouchNothing) {
    const fs::path source = SNAPFOLD_SOURCE_DIR, built = testsupport::buildDirectory();
    // Each tool, and whether it takes a device root.
    const std::vector<std::pair<fs::path, bool>> tools{{built / "apps/WhatsApp.app/WhatsApp", true},
                                                       {built / "bin/snapfold-settings", true},
                                                       {built / "bin/snapfold-library", true},
                                                       {built / "bin/snapfold-settings-app", true},
                                                       {source / "scripts/install-device", true},
                                                       {source / "scripts/build-deb", false},
                                                       {source / "scripts/demo", false},
                                                       {source / "scripts/test", false},
                                                       {source / "scripts/setup-deps", false}};
    fs::path untouched = testsupport::processDeviceRoot().string() + "-untouched";
    for (const auto& [tool, takesRoot] : tools) {
        SCOPED_TRACE(tool.filename().string());
        auto withRoot = [&, takesRoot = takesRoot](std::string argument) {
            return takesRoot ? std::vector<std::string>{"--device-root", untouched.string(), argument}
                             : std::vector<std::string>{argument};
        };
        auto help = testsupport::runProgram(tool, withRoot("--help"));
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_NE(help.output.find("--"), std::string::npos) << "no usage on standard output";
        EXPECT_EQ(help.errors, "");

        auto version = testsupport::runProgram(tool, {"--version"});
        EXPECT_EQ(version.exitCode, 0);
        EXPECT_NE(version.output.find(SNAPFOLD_PROJECT_VERSION), std::string::npos);

        auto wrong = testsupport::runProgram(tool, withRoot("--no-such-option"));
        EXPECT_EQ(wrong.exitCode, 2);
        EXPECT_EQ(wrong.output, "");
        EXPECT_NE(wrong.errors.find("--no-such-option"), std::string::npos) << wrong.errors;
        EXPECT_FALSE(fs::exists(untouched)) << "created the device root";
    }
    // Options go anywhere; numbers are checked.
    auto settings = built / "bin/snapfold-settings";
    auto late = testsupport::runProgram(settings, {"file", "--device-root", untouched.string()});
    EXPECT_EQ(late.exitCode, 0) << late.errors;
    EXPECT_NE(late.output.find(untouched.string()), std::string::npos);
    fs::remove_all(untouched);
    auto badNumber = testsupport::runProgram(settings, {"watch", "--changes", "x"});
    EXPECT_EQ(badNumber.exitCode, 2);
    EXPECT_NE(badNumber.errors.find("'x'"), std::string::npos) << badNumber.errors;
    // A device root that cannot be laid out stops the tool with the cause.
    fs::path plainFile = testsupport::processDeviceRoot().string() + "-plain-file";
    std::ofstream(plainFile) << "not a folder";
    auto unusable = testsupport::runProgram(settings, {"file", "--device-root", (plainFile / "device").string()});
    EXPECT_EQ(unusable.exitCode, 1);
    EXPECT_NE(unusable.errors.find("--device-root: cannot create"), std::string::npos) << unusable.errors;
    EXPECT_NE(unusable.errors.find("Not a directory"), std::string::npos) << unusable.errors;
    fs::remove(plainFile);
}

}  // namespace
