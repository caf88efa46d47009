// The messaging app killed with SIGKILL at random moments while it saves a
// batch into the album, many times over. Afterwards the photo library must be
// sound: SQLite's own check passes, no row lacks its file, a fresh open
// leaves no media file without its row and no temporary, and every save the
// app had shown as successful is in the album.
#include "platform/assets/PhotoStore.h"
#include "platform/foundation/DeviceRoot.h"
#include "tests/hook/PhotoLibraryContents.h"
#include "tests/hosts/HostTestSupport.h"
#include "tests/platform/assets/AssetsTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gmock/gmock.h>

#include <random>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr const char* kSucceeded = "Your image was successfully saved.";
constexpr int kRounds = 16;
constexpr int kSavesPerRound = 6;

class KilledSavesTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = testsupport::processDeviceRoot();
        ASSERT_NO_FATAL_FAILURE(hosttest::installTweakIntoCleanDevice());
        inputs = root.string() + "-killed-saves";
        fs::create_directories(inputs);
        for (int i = 0; i < kSavesPerRound; ++i) {
            pictures.push_back(inputs / ("picture-" + std::to_string(i) + ".jpg"));
            hosttest::writeSamplePhoto(pictures.back(), 320, 240, 40 + i);
        }
    }
    void TearDown() override { fs::remove_all(inputs); }

    static fs::path app() { return testsupport::buildDirectory() / "apps/WhatsApp.app/WhatsApp"; }

    // Starts the app, sends a round of saves, and kills it after `killAfter`
    // (never, when absent: the round then ends normally). Answers the number
    // of successful saves the app showed.
    int runRound(std::optional<std::chrono::microseconds> killAfter) {
        testsupport::ChildProcess running(app(), {"interactive"}, {}, testsupport::ChildProcess::Input::Pipe);
        EXPECT_TRUE(running.started());
        auto ready = running.readLine();
        EXPECT_TRUE(ready && ready->find("ready") != std::string::npos) << ready.value_or("(no output)");
        for (const auto& picture : pictures) running.writeLine("save " + picture.string());
        int succeeded = 0;
        if (killAfter) {
            std::this_thread::sleep_for(*killAfter);
            running.kill();
        } else {
            running.writeLine("wait");
            running.writeLine("quit");
        }
        // Everything the app wrote before it ended is still in the pipe.
        while (auto line = running.readLine()) {
            if (line->find(kSucceeded) != std::string::npos) ++succeeded;
        }
        int status = running.wait();
        if (!killAfter) EXPECT_EQ(status, 0);
        return succeeded;
    }

    fs::path root;
    fs::path inputs;
    std::vector<fs::path> pictures;
};

TEST_F(KilledSavesTest, TheLibraryStaysSoundAndKeepsEveryReportedSave) {
    // The album exists before the batches: saves racing to create it are
    // another matter (all but the first are told the album could not be made).
    auto first = testsupport::runProgram(app(), {"save", pictures[0].string()});
    ASSERT_EQ(first.exitCode, 0) << first.errors;
    ASSERT_NE(first.output.find(kSucceeded), std::string::npos) << first.output;

    // A first round ends normally: it makes the album and says how long a
    // round takes on this machine (and build), so that the kills fall all
    // over a round, from its first save to its last.
    auto started = std::chrono::steady_clock::now();
    int reported = 1 + runRound(std::nullopt);
    auto roundTime = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
    ASSERT_EQ(reported, 1 + kSavesPerRound);

    std::random_device seedSource;
    unsigned seed = seedSource();
    SCOPED_TRACE("random seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<long long> moment(0, roundTime.count());
    int killedMidRound = 0;
    for (int round = 1; round <= kRounds; ++round) {
        int succeeded = runRound(std::chrono::microseconds(moment(random)));
        reported += succeeded;
        if (succeeded < kSavesPerRound) ++killedMidRound;

        // Before anyone cleans up: the index is sound and every row has its file.
        auto index = assetstest::readIndex();
        EXPECT_EQ(index.integrityCheck, "ok") << "round " << round;
        for (const auto& path : index.assetFilePaths)
            EXPECT_TRUE(fs::exists(foundation::hostPath(path))) << "round " << round << ": no file for " << path;
    }
    // Most kills must land inside a round, or the test proves little.
    EXPECT_GE(killedMidRound, kRounds / 2);

    // A fresh open, as the next app to start makes it, removes what dead
    // writers left; then files and rows match one to one.
    auto store = assets::PhotoStore::open(root);
    ASSERT_TRUE(store->prepare().ok());
    auto index = assetstest::readIndex();
    EXPECT_EQ(index.integrityCheck, "ok");
    EXPECT_EQ(index.assetFilePaths, assetstest::mediaFilesOnDisk());
    EXPECT_THAT(assetstest::temporaryFilesOnDisk(), ::testing::ElementsAre());

    auto album = phototest::assetsIn("WhatsApp");
    EXPECT_GE(album.size(), static_cast<std::size_t>(reported)) << "a save shown as successful is missing";
    EXPECT_LE(album.size(), static_cast<std::size_t>(1 + (kRounds + 1) * kSavesPerRound));
    for (const auto& asset : album) EXPECT_TRUE(asset.image) << asset.url << " does not decode";
}

}  // namespace
