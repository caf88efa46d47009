// The whole road, over real processes: the hook library installed into a
// device root, the messaging app launched, the injector loading the library
// by its filter, saves made, and the photo library read back.
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/PropertyList.h"
#include "tests/hook/PhotoLibraryContents.h"
#include "tests/hosts/HostTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tools/SampleJpegWriter.h"
#include "tools/SyntheticPhoto.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* kSucceeded = "Your image was successfully saved.";

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class MessagingAppTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = testsupport::processDeviceRoot();
        testsupport::clearDevice();
        fs::remove_all(root / "Library/MobileSubstrate/DynamicLibraries");
        fs::create_directories(root / "Library/MobileSubstrate/DynamicLibraries");
        inputs = root.string() + "-inputs";
        fs::create_directories(inputs);
    }
    void TearDown() override { fs::remove_all(inputs); }

    static fs::path app() { return testsupport::buildDirectory() / "apps/WhatsApp.app/WhatsApp"; }

    void installTweak() {
        auto installed = testsupport::runProgram(
            fs::path(SNAPFOLD_SOURCE_DIR) / "scripts/install-device",
            {"--device-root", root.string(), "--build-dir", testsupport::buildDirectory().string()});
        ASSERT_EQ(installed.exitCode, 0) << installed.errors;
    }

    fs::path writeJpeg(const std::string& name, std::uint32_t seed) {
        fs::path file = inputs / name;
        hosttest::writeSamplePhoto(file, 160, 120, seed);
        return file;
    }

    void changeSetting(const std::string& key, const std::string& value) {
        auto tool = testsupport::runProgram(testsupport::buildDirectory() / "bin/snapfold-settings",
                                            {"set", key, value});
        ASSERT_EQ(tool.exitCode, 0) << tool.errors;
    }

    testsupport::ProgramResult runApp(std::vector<std::string> arguments) {
        return testsupport::runProgram(app(), arguments);
    }

    void expectRunningAppFollowsRename(const std::function<void()>& renameAlbum);

    fs::path root;
    fs::path inputs;
};

TEST_F(MessagingAppTest, TheInstalledTweakSendsASavedPictureIntoTheAlbum) {
    installTweak();
    auto run = runApp({"save", writeJpeg("harbour.jpg", 1).string()});

    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(contains(run.errors, "injector: loaded Snapfold.dylib")) << run.errors;
    EXPECT_TRUE(contains(run.output, kSucceeded)) << run.output;
    EXPECT_FALSE(contains(run.output, "camera roll:")) << run.output;
    auto album = phototest::assetsIn("WhatsApp");
    ASSERT_EQ(album.size(), 1u);
    EXPECT_EQ(album[0].type, assets::ALAssetTypePhoto);
    ASSERT_TRUE(album[0].image);
    EXPECT_EQ(album[0].image->width, 160u);
    EXPECT_EQ(phototest::cameraRoll().size(), 1u);
}

TEST_F(MessagingAppTest, WithoutTheTweakTheAppSavesToTheCameraRoll) {
    auto run = runApp({"save", writeJpeg("harbour.jpg", 2).string()});

    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_FALSE(contains(run.errors, "injector: loaded")) << run.errors;
    EXPECT_TRUE(contains(run.output, "camera roll: saved harbour.jpg as assets-library://asset/asset.JPG?id="))
        << run.output;
    EXPECT_EQ(phototest::cameraRoll().size(), 1u);
    EXPECT_TRUE(phototest::albumNames().empty());
}

TEST_F(MessagingAppTest, SwitchedOffTheTweakLeavesTheAppsOwnSave) {
    installTweak();
    changeSetting("isEnabled", "false");
    auto run = runApp({"--method", "enqueue", "save", writeJpeg("harbour.jpg", 3).string()});

    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(contains(run.errors, "injector: loaded Snapfold.dylib"));
    EXPECT_TRUE(contains(run.output, "camera roll: saved harbour.jpg")) << run.output;
    EXPECT_FALSE(contains(run.output, kSucceeded));
    EXPECT_TRUE(phototest::albumNames().empty());
}

TEST_F(MessagingAppTest, EverySaveMethodIsDiverted) {
    installTweak();
    for (const char* method : {"save-media", "enqueue", "save-image"}) {
        auto run = runApp({"--method", method, "save", writeJpeg(std::string(method) + ".jpg", 4).string()});
        ASSERT_EQ(run.exitCode, 0) << method << ": " << run.errors;
        EXPECT_TRUE(contains(run.output, kSucceeded)) << method << ": " << run.output;
    }
    EXPECT_EQ(phototest::assetsIn("WhatsApp").size(), 3u);
}

TEST_F(MessagingAppTest, AVideoIsSavedIntoTheAlbumToo) {
    installTweak();
    const char box[] =
        "\0\0\0\x18"
        "ftyp"
        "mp42"
        "\0\0\0\0"
        "isom"
        "mp42"
        "\0\0\0\x08"
        "mdat";
    std::ofstream(inputs / "clip.mp4", std::ios::binary).write(box, sizeof box - 1);
    auto run = runApp({"save", (inputs / "clip.mp4").string()});

    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(contains(run.output, kSucceeded)) << run.output;
    auto album = phototest::assetsIn("WhatsApp");
    ASSERT_EQ(album.size(), 1u);
    EXPECT_EQ(album[0].type, assets::ALAssetTypeVideo);
}

TEST_F(MessagingAppTest, WithoutBannerClassesTheSaveStillLandsSilently) {
    installTweak();
    auto run = runApp({"--no-banner-classes", "save", writeJpeg("quiet.jpg", 5).string()});

    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_FALSE(contains(run.output, kSucceeded)) << run.output;
    EXPECT_TRUE(contains(run.errors, "1 save finished with no outcome the app can see")) << run.errors;
    EXPECT_EQ(phototest::assetsIn("WhatsApp").size(), 1u);
}

// Twelve quick saves into an album that does not exist yet: each finds no
// album and asks for one, all but the first creation are answered with no
// group, and every save still lands in the album the first one made.
TEST_F(MessagingAppTest, ABatchIntoANewAlbumShowsProgressAndEverySaveLands) {
    installTweak();
    std::vector<std::string> arguments{"save"};
    for (std::uint32_t i = 0; i < 12; ++i)
        arguments.push_back(writeJpeg("batch-" + std::to_string(i) + ".jpg", 10 + i).string());
    auto run = runApp(arguments);

    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(contains(run.errors, "WhatsApp: delivered 12 of 12 saves")) << run.errors;
    EXPECT_TRUE(contains(run.output, std::string("12 x banner: Snapfold: ") + kSucceeded)) << run.output;
    EXPECT_EQ(phototest::assetsIn("WhatsApp").size(), 12u);
}

TEST_F(MessagingAppTest, AMissingFileSavesNothingAndFails) {
    installTweak();
    auto run = runApp({"save", writeJpeg("present.jpg", 6).string(), (inputs / "absent.jpg").string()});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(contains(run.errors, "no such file: " + (inputs / "absent.jpg").string())) << run.errors;
    EXPECT_TRUE(phototest::cameraRoll().empty());
}

TEST_F(MessagingAppTest, ABadCommandLineFails) {
    EXPECT_EQ(runApp({"frobnicate"}).exitCode, 2);
    EXPECT_EQ(runApp({"--method", "carrier-pigeon", "save", "x.jpg"}).exitCode, 2);
    EXPECT_EQ(runApp({"save"}).exitCode, 2);
}

// A broken tweak next to ours: reported, skipped, and the app saves on.
TEST_F(MessagingAppTest, ATweakThatFailsToLoadLeavesTheAppRunning) {
    installTweak();
    fs::path libraries = root / "Library/MobileSubstrate/DynamicLibraries";
    std::ofstream(libraries / "Broken.dylib") << "not a shared object";
    fs::copy_file(fs::path(SNAPFOLD_SOURCE_DIR) / "resources/Snapfold.plist", libraries / "Broken.plist");
    auto run = runApp({"save", writeJpeg("harbour.jpg", 7).string()});

    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(contains(run.errors, "injector: cannot load Broken.dylib")) << run.errors;
    EXPECT_TRUE(contains(run.output, kSucceeded)) << run.output;
    EXPECT_EQ(phototest::assetsIn("WhatsApp").size(), 1u);
}

// The app keeps running and reads commands; meanwhile `renameAlbum` changes
// the album name to "Harbour trips" from another process, and the next save
// goes to the new album.
void MessagingAppTest::expectRunningAppFollowsRename(const std::function<void()>& renameAlbum) {
    installTweak();
    fs::path commands = inputs / "commands";
    ASSERT_EQ(::mkfifo(commands.c_str(), 0600), 0);
    testsupport::ChildProcess running("/bin/sh",
                                      {"-c", "exec \"$0\" interactive < \"$1\"", app().string(), commands.string()});
    ASSERT_TRUE(running.started());
    int input = ::open(commands.c_str(), O_WRONLY | O_CLOEXEC);  // Returns once the app has opened it.
    ASSERT_GE(input, 0);
    auto send = [&](const std::string& line) {
        std::string text = line + "\n";
        ASSERT_EQ(::write(input, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    };
    auto readUntil = [&](const std::string& wanted) {
        while (auto line = running.readLine()) {
            if (contains(*line, wanted)) return true;
        }
        return false;
    };

    ASSERT_TRUE(readUntil("WhatsApp: ready"));
    send("save " + writeJpeg("before.jpg", 8).string());
    send("wait");
    ASSERT_TRUE(readUntil("WhatsApp: delivered 1 of 1 saves"));

    renameAlbum();
    send("save " + writeJpeg("after.jpg", 9).string());
    send("bogus command");
    send("wait");
    ASSERT_TRUE(readUntil("WhatsApp: delivered 2 of 2 saves"));
    send("quit");
    ::close(input);
    EXPECT_EQ(running.wait(), 1);  // The bad command is remembered in the exit status.

    EXPECT_EQ(phototest::assetsIn("WhatsApp").size(), 1u);
    EXPECT_EQ(phototest::assetsIn("Harbour trips").size(), 1u);
}

TEST_F(MessagingAppTest, TheRunningAppFollowsASettingsChangeMadeMeanwhile) {
    expectRunningAppFollowsRename([&] { changeSetting("albumName", "Harbour trips"); });
}

// The same change made the way a person makes it: on the settings page of the
// Settings host, which writes the file and posts the notification.
TEST_F(MessagingAppTest, TheRunningAppFollowsTheSettingsPage) {
    expectRunningAppFollowsRename([&] {
        fs::path settingsApp = testsupport::buildDirectory() / "bin/snapfold-settings-app";
        auto installed = testsupport::runProgram(settingsApp, {"install"});
        ASSERT_EQ(installed.exitCode, 0) << installed.errors;
        auto changed = testsupport::runProgram(settingsApp, {"set", "albumName", "Harbour trips"});
        ASSERT_EQ(changed.exitCode, 0) << changed.errors;
    });
}

}  // namespace
