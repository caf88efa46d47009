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

    // When a round's app is killed: once it has shown `afterSuccesses`
    // successful saves, a further `delay` later.
    struct Kill {
        int afterSuccesses = 0;
        std::chrono::microseconds delay{0};
    };

    // Starts the app and sends a round of saves; kills it as `kill` says, or
    // lets the round end normally. Answers the number of successful saves
    // the app showed, and the time from sending the saves to the end.
    std::pair<int, std::chrono::microseconds> runRound(std::optional<Kill> kill) {
        testsupport::ChildProcess running(app(), {"interactive"}, {}, testsupport::ChildProcess::Input::Pipe);
        EXPECT_TRUE(running.started());
        auto ready = running.readLine();
        EXPECT_TRUE(ready && ready->find("ready") != std::string::npos) << ready.value_or("(no output)");
        auto started = std::chrono::steady_clock::now();
        for (const auto& picture : pictures) running.writeLine("save " + picture.string());
        int succeeded = 0;
        auto countLine = [&](const std::string& line) {
            if (line.find(kSucceeded) != std::string::npos) ++succeeded;
        };
        if (kill) {
            while (succeeded < kill->afterSuccesses) {
                auto line = running.readLine();
                if (!line) break;
                countLine(*line);
            }
            std::this_thread::sleep_for(kill->delay);
            running.kill();
        } else {
            running.writeLine("wait");
            running.writeLine("quit");
        }
        // Everything the app wrote before it ended is still in the pipe.
        while (auto line = running.readLine()) countLine(*line);
        auto took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
        int status = running.wait();
        if (!kill) {
            EXPECT_EQ(status, 0);
        }
        return {succeeded, took};
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

    // A first round ends normally: it says how long one save takes on this
    // machine (and build). Each later round is killed after a random number
    // of shown successes and a random part of one save's time more, so that
    // the kills fall anywhere inside the saves: while a file is written,
    // flushed, renamed, or its row committed.
    auto [firstSucceeded, firstRound] = runRound(std::nullopt);
    int reported = 1 + firstSucceeded;
    ASSERT_EQ(reported, 1 + kSavesPerRound);
    auto perSave = firstRound / kSavesPerRound;

    std::random_device seedSource;
    unsigned seed = seedSource();
    SCOPED_TRACE("random seed " + std::to_string(seed));
    std::mt19937 random(seed);
    // At least two saves are left when the wait for the kill starts, and it
    // lasts at most half a save: the saves run one behind the other, so the
    // last ones of a round finish close together.
    std::uniform_int_distribution<int> successesBefore(0, kSavesPerRound - 2);
    std::uniform_int_distribution<long long> partOfASave(0, perSave.count() / 2);
    int killedMidRound = 0;
    for (int round = 1; round <= kRounds; ++round) {
        Kill kill{successesBefore(random), std::chrono::microseconds(partOfASave(random))};
        int succeeded = runRound(kill).first;
        reported += succeeded;
        if (succeeded < kSavesPerRound) ++killedMidRound;

        // Before anyone cleans up: the index is sound and every row has its file.
        auto index = assetstest::readIndex();
        EXPECT_EQ(index.integrityCheck, "ok") << "round " << round;
        for (const auto& path : index.assetFilePaths)
            EXPECT_TRUE(fs::exists(foundation::hostPath(path))) << "round " << round << ": no file for " << path;
    }
    // Kills must land inside rounds, or the test proves little. (A loaded
    // machine can let a round finish first now and then.)
    EXPECT_GE(killedMidRound, kRounds / 4);
    RecordProperty("killed_mid_round", killedMidRound);
    RecordProperty("reported_successes", reported);

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
