// A save that runs out of space (here: a file-size limit, under which the
// programs, ignoring SIGXFSZ themselves, see the write fail with EFBIG as it
// would with ENOSPC on a full disk) reaches the failure path: the library
// reports -3305, the messaging app shows the failure banner and goes on, and
// neither the photo library nor the settings file is harmed.
#include "hook/SettingsSnapshot.h"
#include "platform/foundation/DeviceRoot.h"
#include "tests/hook/PhotoLibraryContents.h"
#include "tests/hosts/HostTestSupport.h"
#include "tests/platform/assets/AssetsTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gmock/gmock.h>

#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string contentsOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class FullDiskTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = testsupport::processDeviceRoot();
        ASSERT_NO_FATAL_FAILURE(hosttest::installTweakIntoCleanDevice());
        picture = root.string() + "-full-disk.jpg";
        // Small as a JPEG, a few hundred kilobytes as the PNG the album saver writes.
        hosttest::writeSamplePhoto(picture, 640, 480, 77, 60);
    }
    void TearDown() override { fs::remove(picture); }

    // Runs a program with files limited to `kilobytes`, with SIGXFSZ as it
    // comes (its default action ends the process).
    static testsupport::ProgramResult runLimited(int kilobytes, const fs::path& program,
                                                 const std::vector<std::string>& arguments) {
        std::vector<std::string> shellArguments{"-c", "ulimit -f " + std::to_string(kilobytes) + "; exec \"$@\"",
                                                "limited", program.string()};
        shellArguments.insert(shellArguments.end(), arguments.begin(), arguments.end());
        return testsupport::runProgram("/bin/bash", shellArguments);
    }

    fs::path root;
    fs::path picture;
};

TEST_F(FullDiskTest, ASaveWithoutSpaceShowsTheFailureAndHarmsNothing) {
    auto settings = testsupport::runProgram(testsupport::buildDirectory() / "bin/snapfold-settings",
                                            {"set", "albumName", "Harbour trips"});
    ASSERT_EQ(settings.exitCode, 0) << settings.errors;
    fs::path settingsFile = foundation::hostPath(snapfold::kSettingsFilePath);
    const std::string settingsBefore = contentsOf(settingsFile);
    ASSERT_FALSE(settingsBefore.empty());

    fs::path app = testsupport::buildDirectory() / "apps/WhatsApp.app/WhatsApp";
    auto first = testsupport::runProgram(app, {"save", picture.string()});
    ASSERT_EQ(first.exitCode, 0) << first.errors;
    ASSERT_THAT(first.output, ::testing::HasSubstr("Your image was successfully saved."));
    const auto indexBefore = assetstest::readIndex();
    const auto mediaBefore = assetstest::mediaFilesOnDisk();

    // The picture's copy into the app fits under the limit; its PNG does not.
    auto limited = runLimited(64, app, {"save", picture.string()});
    EXPECT_EQ(limited.exitCode, 1) << "the app reports the failed save, and is not killed: " << limited.errors;
    EXPECT_THAT(limited.output, ::testing::HasSubstr("Sorry, an error occurred and the image could not be"));
    EXPECT_THAT(limited.output, ::testing::Not(::testing::HasSubstr("successfully saved")));

    // The library's own answer, through the library tool storing the JPEG as
    // it is, under a limit the JPEG does not fit.
    ASSERT_GT(fs::file_size(picture), 8u * 1024);
    auto imported = runLimited(8, testsupport::buildDirectory() / "bin/snapfold-library", {"import", picture.string()});
    EXPECT_NE(imported.exitCode, 0);
    EXPECT_THAT(imported.errors, ::testing::HasSubstr("Code=-3305"));

    auto indexAfter = assetstest::readIndex();
    EXPECT_EQ(indexAfter.integrityCheck, "ok");
    EXPECT_EQ(indexAfter.assetFilePaths, indexBefore.assetFilePaths);
    EXPECT_EQ(assetstest::mediaFilesOnDisk(), mediaBefore);
    EXPECT_THAT(assetstest::temporaryFilesOnDisk(), ::testing::ElementsAre());
    EXPECT_EQ(phototest::assetsIn("Harbour trips").size(), 1u);
    EXPECT_EQ(contentsOf(settingsFile), settingsBefore);
}

}  // namespace
