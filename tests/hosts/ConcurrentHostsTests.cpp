// Two messaging apps save into the album at once while the Settings host
// renames the album and switches the tweak off and on, back and forth.
// Afterwards every save has an outcome; every save shown as successful is in
// one of the two albums the settings named, exactly once; saves made while
// switched off are the apps' own; no third album exists. Under the thread
// sanitizer a race in any process ends it with an error, so both apps must
// also exit cleanly.
#include "platform/foundation/DeviceRoot.h"
#include "tests/hook/PhotoLibraryContents.h"
#include "tests/hosts/HostTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gmock/gmock.h>

#include <atomic>
#include <future>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr int kSettingChanges = 12;
// Each app sends two saves after every change (and two before the first), so
// that every setting sees saves in flight from both apps.
constexpr int kSavesPerBatch = 2;
constexpr int kSavesPerApp = kSavesPerBatch * (kSettingChanges + 1);

struct AppTally {
    int succeeded = 0;  // success banners
    int failed = 0;     // failure banners
    int ownSaves = 0;   // the app's own save, the tweak switched off
    int exitCode = -1;
};

class ConcurrentHostsTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = testsupport::processDeviceRoot();
        ASSERT_NO_FATAL_FAILURE(hosttest::installTweakIntoCleanDevice());
        ASSERT_EQ(settingsApp({"install"}).exitCode, 0);
        inputs = root.string() + "-concurrent";
        fs::create_directories(inputs);
        for (int i = 0; i < 4; ++i) {
            pictures.push_back(inputs / ("chat-" + std::to_string(i) + ".jpg"));
            hosttest::writeSamplePhoto(pictures.back(), 200, 150, 60 + i, 80);
        }
    }
    void TearDown() override { fs::remove_all(inputs); }

    static testsupport::ProgramResult settingsApp(const std::vector<std::string>& arguments) {
        return testsupport::runProgram(testsupport::buildDirectory() / "bin/snapfold-settings-app", arguments);
    }

    // One app: a batch of saves after each settings change, without waiting
    // for them, then the end of its output.
    AppTally runApp(const std::atomic<int>& changesMade) {
        testsupport::ChildProcess app(testsupport::buildDirectory() / "apps/WhatsApp.app/WhatsApp", {"interactive"}, {},
                                      testsupport::ChildProcess::Input::Pipe);
        AppTally tally;
        if (!app.started()) return tally;
        for (int batch = 0, sent = 0; batch <= kSettingChanges; ++batch) {
            while (changesMade.load() < batch) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            for (int i = 0; i < kSavesPerBatch; ++i, ++sent)
                app.writeLine("save " + pictures[sent % pictures.size()].string());
        }
        app.writeLine("wait");
        app.writeLine("quit");
        app.closeInput();
        while (auto line = app.readLine(std::chrono::seconds(120))) {
            if (line->find("successfully saved") != std::string::npos) ++tally.succeeded;
            if (line->find("Sorry, an error occurred") != std::string::npos) ++tally.failed;
            if (line->starts_with("camera roll: saved")) ++tally.ownSaves;
        }
        tally.exitCode = app.wait(std::chrono::seconds(120));
        return tally;
    }

    fs::path root;
    fs::path inputs;
    std::vector<fs::path> pictures;
};

TEST_F(ConcurrentHostsTest, EverySuccessfulSaveIsInAnAlbumTheSettingsNamed) {
    // Neither album exists yet: the first saves of both apps race to create
    // each, and the saves whose creation is refused still land in it.
    ASSERT_EQ(settingsApp({"set", "albumName", "Alpha"}).exitCode, 0);

    std::atomic<int> changesMade{0};
    auto first = std::async(std::launch::async, [&] { return runApp(changesMade); });
    auto second = std::async(std::launch::async, [&] { return runApp(changesMade); });
    for (int change = 0; change < kSettingChanges; ++change) {
        // Let the batch just sent get under way.
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
        switch (change % 4) {
        case 0: EXPECT_EQ(settingsApp({"set", "albumName", "Beta"}).exitCode, 0); break;
        case 1: EXPECT_EQ(settingsApp({"set", "isEnabled", "off"}).exitCode, 0); break;
        case 2: EXPECT_EQ(settingsApp({"set", "albumName", "Alpha"}).exitCode, 0); break;
        case 3: EXPECT_EQ(settingsApp({"set", "isEnabled", "on"}).exitCode, 0); break;
        }
        ++changesMade;
    }
    AppTally one = first.get(), two = second.get();

    for (const auto* tally : {&one, &two}) {
        EXPECT_EQ(tally->exitCode, 0) << "an app ended badly (a sanitizer report ends it so)";
        EXPECT_EQ(tally->succeeded + tally->failed + tally->ownSaves, kSavesPerApp) << "a save had no outcome";
        EXPECT_EQ(tally->failed, 0) << "no diverted save has a reason to fail";
        // The last batch is sent after the switch was turned back on.
        EXPECT_GE(tally->succeeded, kSavesPerBatch);
    }
    int succeeded = one.succeeded + two.succeeded;
    int ownSaves = one.ownSaves + two.ownSaves;
    RecordProperty("succeeded", succeeded);
    RecordProperty("own_saves", ownSaves);
    RecordProperty("failed", one.failed + two.failed);
    auto alpha = phototest::assetsIn("Alpha"), beta = phototest::assetsIn("Beta");
    EXPECT_EQ(static_cast<int>(alpha.size() + beta.size()), succeeded)
        << "each save shown as successful is in exactly one of the albums, and nothing else is";
    // Beta exists only if a save reached it before the switch went off.
    EXPECT_THAT(phototest::albumNames(),
                ::testing::AllOf(::testing::Contains("Alpha"), ::testing::IsSubsetOf({"Alpha", "Beta"})));
    // Every successful or own save is in the camera roll too; a failed one may be.
    auto cameraRoll = phototest::cameraRoll();
    EXPECT_GE(static_cast<int>(cameraRoll.size()), succeeded + ownSaves);
    EXPECT_LE(static_cast<int>(cameraRoll.size()), 2 * kSavesPerApp);
    std::set<std::string> inCameraRoll;
    for (const auto& asset : cameraRoll) inCameraRoll.insert(asset.url);
    for (const auto* album : {&alpha, &beta})
        for (const auto& asset : *album) EXPECT_TRUE(inCameraRoll.contains(asset.url)) << asset.url;
}

}  // namespace
