// An index that is lost or cannot be opened costs no photo: the library
// builds a new one from the media files, once, however many processes open
// it at the same moment, and never deletes an index it cannot read.
#include "platform/assets/PhotoStore.h"
#include "platform/assets/StoreLayout.h"
#include "platform/foundation/DeviceRoot.h"
#include "tests/platform/assets/AssetsTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gmock/gmock.h>

#include <fstream>

namespace assetstest {
namespace {

using namespace assets;
using ::testing::ElementsAre;
namespace fs = std::filesystem;

class IndexRecoveryTest : public LibraryTest {
protected:
    static fs::path indexFile() { return foundation::hostPath(kDatabaseDevicePath); }
    static std::unique_ptr<testsupport::ChildProcess> start(const std::string& program,
                                                            std::vector<std::string> arguments) {
        return std::make_unique<testsupport::ChildProcess>(testsupport::buildDirectory() / "bin" / program,
                                                           std::move(arguments));
    }
    static std::unique_ptr<testsupport::ChildProcess> startLibraryTool() {
        return start("snapfold-library", {"--device-root", testsupport::processDeviceRoot().string(), "groups"});
    }
    // The camera roll as a fresh open of the library sees it.
    static std::vector<std::string> cameraRollFiles() {
        auto store = PhotoStore::open(testsupport::processDeviceRoot());
        std::vector<std::string> files;
        auto cameraRoll = store->groups(ALAssetsGroupSavedPhotos);
        EXPECT_TRUE(cameraRoll.ok() && cameraRoll->size() == 1);
        if (!cameraRoll.ok() || cameraRoll->empty()) return files;
        auto assets = store->assetsInGroup(cameraRoll->front().id);
        EXPECT_TRUE(assets.ok());
        for (const auto& asset : assets.ok() ? assets.value() : std::vector<AssetRecord>())
            files.push_back(asset.devicePath);
        std::sort(files.begin(), files.end());
        return files;
    }
};

TEST_F(IndexRecoveryTest, ALostIndexKeepsEveryPhotoAndIsRebuiltOnce) {
    for (std::uint32_t seed = 1; seed <= 3; ++seed) writePhoto(*library, seed);
    writeMovie("/var/mobile/Media/clip.mov", "qt  ");
    ASSERT_TRUE(writeVideo(*library, foundation::NSURL::fileURLWithPath("/var/mobile/Media/clip.mov")).url);
    for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(indexFile().string() + suffix);

    // Two processes open the library at once while a third saves into it.
    auto writer = start("snapfold_assets_writer_child", {testsupport::processDeviceRoot().string(), "2"});
    auto firstTool = startLibraryTool();
    auto secondTool = startLibraryTool();
    std::vector<std::string> saved;
    for (int i = 0; i < 2; ++i) saved.push_back(writer->readLine().value_or("no URL"));
    EXPECT_EQ(writer->wait(), 0);
    EXPECT_EQ(firstTool->wait(), 0);
    EXPECT_EQ(secondTool->wait(), 0);

    auto files = mediaFilesOnDisk();
    EXPECT_EQ(files.size(), 6u);
    EXPECT_EQ(cameraRollFiles(), files);  // each file once
    EXPECT_EQ(readIndex().assetFilePaths, files);
    for (const auto& url : saved) EXPECT_TRUE(assetFor(*library, foundation::NSURL::URLWithString(url))) << url;
    // The next save takes a new name.
    writePhoto(*library, 9);
    EXPECT_EQ(mediaFilesOnDisk().size(), 7u);
}

TEST_F(IndexRecoveryTest, AnUnreadableIndexIsMovedAsideAndRebuilt) {
    writePhoto(*library, 1);
    writePhoto(*library, 2);
    const std::string notes = "Not an index: someone's notes saved over it.\n";
    for (const char* suffix : {"-wal", "-shm"}) fs::remove(indexFile().string() + suffix);
    std::ofstream(indexFile().string() + ".new") << notes;
    fs::rename(indexFile().string() + ".new", indexFile());

    auto firstTool = startLibraryTool();
    auto secondTool = startLibraryTool();
    EXPECT_EQ(firstTool->wait(), 0);
    EXPECT_EQ(secondTool->wait(), 0);

    // Moved aside once, byte for byte, under a name that says when.
    std::vector<std::string> asideContents;
    for (const auto& entry : fs::directory_iterator(indexFile().parent_path())) {
        std::string name = entry.path().filename().string();
        if (name.rfind("Photos.sqlite.unreadable-", 0) != 0) continue;
        std::ifstream in(entry.path());
        asideContents.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    EXPECT_THAT(asideContents, ElementsAre(notes));
    EXPECT_EQ(cameraRollFiles(), mediaFilesOnDisk());
    EXPECT_EQ(mediaFilesOnDisk().size(), 2u);
    EXPECT_EQ(readIndex().integrityCheck, "ok");
}

}  // namespace
}  // namespace assetstest
