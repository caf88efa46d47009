// What interrupted writes leave behind, and what opening the library does
// with it: temporaries of writers that died are removed, a media file whose
// row was never committed is listed again, and nothing else is ever deleted.
#include "platform/assets/PhotoStore.h"
#include "platform/assets/StoreLayout.h"
#include "platform/foundation/DeviceRoot.h"
#include "tests/platform/assets/AssetsTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gmock/gmock.h>

#include <fstream>
#include <unistd.h>

namespace assetstest {
namespace {

using namespace assets;
using ::testing::ElementsAre;
namespace fs = std::filesystem;

class CrashSafetyTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        ASSERT_TRUE(library->store()->prepare().ok());
    }
    // A fresh open of the library, as another process starting up makes it.
    void openAgain() {
        auto store = PhotoStore::open(testsupport::processDeviceRoot());
        ASSERT_TRUE(store->prepare().ok());
    }
    std::unique_ptr<testsupport::ChildProcess> startWriter(int count, const std::string& pauseAt = "") {
        std::vector<std::string> arguments{testsupport::processDeviceRoot().string(), std::to_string(count)};
        if (!pauseAt.empty()) arguments.insert(arguments.end(), {"--pause-at", pauseAt});
        auto child = std::make_unique<testsupport::ChildProcess>(
            testsupport::buildDirectory() / "bin/snapfold_assets_writer_child", arguments, std::vector<std::string>{},
            testsupport::ChildProcess::Input::Pipe);
        EXPECT_TRUE(child->started());
        return child;
    }
    void touch(const std::string& devicePath, const std::string& contents = "leftover") {
        fs::path host = foundation::hostPath(devicePath);
        fs::create_directories(host.parent_path());
        std::ofstream(host) << contents;
    }
    bool exists(const std::string& devicePath) { return fs::exists(foundation::hostPath(devicePath)); }
    // The library as a whole is sound: SQLite's own check passes, every row
    // has its file, every media file has its row, no temporary is left.
    void expectConsistent() {
        auto index = readIndex();
        EXPECT_EQ(index.integrityCheck, "ok");
        EXPECT_EQ(index.assetFilePaths, mediaFilesOnDisk());
        EXPECT_THAT(temporaryFilesOnDisk(), ElementsAre());
    }
};

TEST_F(CrashSafetyTest, OnlyTemporariesOfDeadWritersAreEverRemoved) {
    auto url = writePhoto(*library);
    std::string dead = std::string(kIncomingDevicePath) + "/" + temporaryFileName(deadProcessId(), 0);
    std::string live = std::string(kIncomingDevicePath) + "/" + temporaryFileName(::getpid(), 999);
    std::string strangersTemporary = std::string(kIncomingDevicePath) + "/1-draft.tmp";
    touch(dead);
    touch(live);
    touch(strangersTemporary);
    touch("/var/mobile/Media/DCIM/100APPLE/IMG_0002.PNG");  // a media name, but no picture: kept, not listed
    touch("/var/mobile/Media/DCIM/100APPLE/notes.txt");     // not a media file name: not ours to judge
    auto photo = pngData(8, 8, 5);
    touch("/var/mobile/Media/DCIM/101APPLE/IMG_1001.PNG", std::string(photo->begin(), photo->end()));
    openAgain();
    EXPECT_FALSE(exists(dead));
    for (const auto& kept : {live, strangersTemporary, std::string("/var/mobile/Media/DCIM/100APPLE/IMG_0002.PNG"),
                             std::string("/var/mobile/Media/DCIM/100APPLE/notes.txt")})
        EXPECT_TRUE(exists(kept)) << kept;
    // The picture without a row is a photo of the camera roll again.
    EXPECT_THAT(readIndex().assetFilePaths, ElementsAre("/var/mobile/Media/DCIM/100APPLE/IMG_0001.PNG",
                                                        "/var/mobile/Media/DCIM/101APPLE/IMG_1001.PNG"));
    EXPECT_TRUE(assetFor(*library, url));
    fs::remove(foundation::hostPath(live));
}

TEST_F(CrashSafetyTest, AFileNameTakenByAStrangerIsSkippedNotOverwritten) {
    touch("/var/mobile/Media/DCIM/100APPLE/IMG_0001.PNG", "someone else's");
    auto url = writePhoto(*library);
    EXPECT_EQ(assetFor(*library, url)->defaultRepresentation()->devicePath(),
              "/var/mobile/Media/DCIM/100APPLE/IMG_0002.PNG");
    std::ifstream stranger(foundation::hostPath("/var/mobile/Media/DCIM/100APPLE/IMG_0001.PNG"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(stranger), {}), "someone else's");
}

TEST_F(CrashSafetyTest, WriterKilledAfterPlacingItsFileLeavesNoRowAndTheFileIsListedAgain) {
    auto writer = startWriter(1, "placed");
    ASSERT_EQ(writer->readLine(), "paused");
    // The writer holds its placed file and the write lock, uncommitted.
    EXPECT_THAT(mediaFilesOnDisk(), ElementsAre("/var/mobile/Media/DCIM/100APPLE/IMG_0001.PNG"));
    writer->kill();
    EXPECT_EQ(writer->wait(), 128 + SIGKILL);

    EXPECT_THAT(readIndex().assetFilePaths, ElementsAre());  // no row without its file, nor one for it
    openAgain();
    EXPECT_THAT(mediaFilesOnDisk(), ElementsAre("/var/mobile/Media/DCIM/100APPLE/IMG_0001.PNG"));
    expectConsistent();
    // The library goes on working, past the file it listed.
    writePhoto(*library);
    EXPECT_THAT(mediaFilesOnDisk(), ElementsAre("/var/mobile/Media/DCIM/100APPLE/IMG_0001.PNG",
                                                "/var/mobile/Media/DCIM/100APPLE/IMG_0002.PNG"));
}

TEST_F(CrashSafetyTest, OpeningDoesNotTouchTheTemporaryOfALiveWriter) {
    auto writer = startWriter(1, "temporary");
    ASSERT_EQ(writer->readLine(), "paused");
    ASSERT_EQ(temporaryFilesOnDisk().size(), 1u);
    openAgain();
    EXPECT_EQ(temporaryFilesOnDisk().size(), 1u);
    writer->writeLine("go on");
    auto url = writer->readLine();
    ASSERT_TRUE(url);
    EXPECT_EQ(writer->wait(), 0);
    auto asset = assetFor(*library, foundation::NSURL::URLWithString(*url));
    ASSERT_TRUE(asset) << *url;
    expectConsistent();
}

TEST_F(CrashSafetyTest, OpeningWhileALiveWriterHoldsItsPlacedFileKeepsThatFile) {
    auto writer = startWriter(1, "placed");
    ASSERT_EQ(writer->readLine(), "paused");
    // The writer holds its placed file and the write lock. An open made now
    // cannot get the lock (it gives up waiting soon here) and so must leave
    // every media file alone rather than take the writer's for an orphan.
    auto impatient = PhotoStore::open(testsupport::processDeviceRoot(), std::chrono::milliseconds(100));
    ASSERT_TRUE(impatient->prepare().ok());
    EXPECT_THAT(mediaFilesOnDisk(), ElementsAre("/var/mobile/Media/DCIM/100APPLE/IMG_0001.PNG"));
    writer->writeLine("go on");
    auto url = writer->readLine();
    ASSERT_TRUE(url);
    EXPECT_EQ(writer->wait(), 0);
    EXPECT_TRUE(assetFor(*library, foundation::NSURL::URLWithString(*url)));
    expectConsistent();
}

TEST_F(CrashSafetyTest, WritersKilledMidWayNeverLeaveAnInconsistentLibrary) {
    std::vector<std::string> completed;
    for (int round = 1; round <= 4; ++round) {
        auto writer = startWriter(0);
        // Let the writer complete `round` writes, then kill it while it is
        // in the middle of the next one.
        for (int i = 0; i < round; ++i) {
            auto url = writer->readLine();
            ASSERT_TRUE(url) << "round " << round;
            completed.push_back(*url);
        }
        writer->kill();
        writer->wait();
        // Whatever the kill interrupted, the index itself is sound and has no
        // row without its file.
        auto index = readIndex();
        EXPECT_EQ(index.integrityCheck, "ok");
        for (const auto& path : index.assetFilePaths) EXPECT_TRUE(exists(path)) << path;
        openAgain();
        expectConsistent();
    }
    for (const auto& url : completed) EXPECT_TRUE(assetFor(*library, foundation::NSURL::URLWithString(url))) << url;
    EXPECT_GE(readIndex().assetFilePaths.size(), completed.size());
}

}  // namespace
}  // namespace assetstest
