// The library is on disk and shared: what one process writes, another sees,
// and processes writing at once keep their files apart. The second process
// here is the library tool, or a small writer program.
#include "platform/assets/AssetURL.h"
#include "tests/platform/assets/AssetsTestSupport.h"
#include "tests/platform/imageio/TestImages.h"
#include "tests/support/TestSupport.h"

#include <gmock/gmock.h>

#include <future>
#include <set>
#include <sstream>

namespace assetstest {
namespace {

using namespace assets;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class LibraryPersistenceTest : public LibraryTest {
protected:
    testsupport::ProgramResult tool(const std::vector<std::string>& arguments) {
        return testsupport::runProgram(testsupport::buildDirectory() / "bin/snapfold-library", arguments);
    }
    std::vector<std::string> lines(const std::string& text) {
        std::vector<std::string> result;
        std::istringstream stream(text);
        for (std::string line; std::getline(stream, line);) result.push_back(line);
        return result;
    }
};

TEST_F(LibraryPersistenceTest, AnotherProcessSeesAlbumsAndAssetsWrittenHere) {
    auto url = writeImage(*library, pngData(), foundation::NSDictionary{{"Orientation", 6}}).url;
    ASSERT_TRUE(url);
    auto album = createAlbum(*library, "WhatsApp").group;
    ASSERT_TRUE(album && album->addAsset(assetFor(*library, url)));

    auto listed = tool({"album", "WhatsApp"});
    ASSERT_EQ(listed.exitCode, 0) << listed.errors;
    EXPECT_THAT(lines(listed.output),
                ElementsAre(url->absoluteString() + "\t/var/mobile/Media/DCIM/100APPLE/IMG_0001.PNG\t3"));

    auto groups = tool({"groups"});
    ASSERT_EQ(groups.exitCode, 0) << groups.errors;
    EXPECT_THAT(lines(groups.output),
                ElementsAre(::testing::StartsWith("KIND"), ::testing::MatchesRegex("saved-photos +1  Camera Roll"),
                            ::testing::MatchesRegex("album +1  WhatsApp")));
}

TEST_F(LibraryPersistenceTest, AnotherProcessShowsAnAssetsFileAndMetadata) {
    foundation::NSDictionary metadata{{"ColorModel", "RGB"}, {"{PNG}", foundation::NSDictionary{{"InterlaceType", 0}}}};
    auto url = writeImage(*library, pngData(), metadata).url;
    ASSERT_TRUE(url);
    auto shown = tool({"asset", url->absoluteString()});
    ASSERT_EQ(shown.exitCode, 0) << shown.errors;
    EXPECT_THAT(shown.output, HasSubstr("File:         /var/mobile/Media/DCIM/100APPLE/IMG_0001.PNG\n"));
    EXPECT_THAT(shown.output, HasSubstr("Groups:       Camera Roll\n"));
    EXPECT_THAT(shown.output, HasSubstr("<key>ColorModel</key>"));
    EXPECT_THAT(shown.output, HasSubstr("<key>InterlaceType</key>"));
}

TEST_F(LibraryPersistenceTest, ThisProcessSeesWhatAnotherProcessWrote) {
    // Make sure this process has the library open before the tool changes it.
    ASSERT_EQ(enumerate(*library, ALAssetsGroupAlbum).groups.size(), 0u);
    auto image = testsupport::processDeviceRoot() / "incoming.png";
    testimages::writeFile(image.string(), *pngData(20, 20, 5));
    auto imported = tool({"import", image.string()});
    ASSERT_EQ(imported.exitCode, 0) << imported.errors;
    auto created = tool({"create-album", "From Tool"});
    ASSERT_EQ(created.exitCode, 0) << created.errors;
    ASSERT_EQ(tool({"create-group", "event", "Trip"}).exitCode, 0);

    auto url = foundation::NSURL::URLWithString(lines(imported.output).at(0));
    auto asset = assetFor(*library, url);
    ASSERT_TRUE(asset);
    auto album = groupNamed(*library, "From Tool");
    ASSERT_TRUE(album);
    EXPECT_EQ(*album->valueForProperty(ALAssetsGroupPropertyURL)->string(), lines(created.output).at(0));
    EXPECT_TRUE(album->addAsset(asset));
    EXPECT_THAT(namesOf(enumerate(*library, ALAssetsGroupEvent).groups), ElementsAre("Trip"));
}

TEST_F(LibraryPersistenceTest, ToolAnswersUnknownNamesAndBadArgumentsWithAnError) {
    auto unknownAlbum = tool({"album", "Nowhere"});
    EXPECT_EQ(unknownAlbum.exitCode, 1);
    EXPECT_THAT(unknownAlbum.errors, HasSubstr("no album named \"Nowhere\""));
    auto unknownAsset = tool({"asset", assetURLString(makeUUID(), "PNG")});
    EXPECT_EQ(unknownAsset.exitCode, 1);
    EXPECT_THAT(unknownAsset.errors, HasSubstr("no asset"));
    EXPECT_EQ(tool({"asset", "assets-library://asset/../../etc/passwd"}).exitCode, 1);
    ASSERT_EQ(tool({"create-album", "Twice"}).exitCode, 0);
    EXPECT_EQ(tool({"create-album", "Twice"}).exitCode, 1);
    for (const auto& bad : std::vector<std::vector<std::string>>{
             {}, {"frobnicate"}, {"album"}, {"groups", "extra"}, {"create-group", "planet", "X"}, {"--device-root"}}) {
        auto result = tool(bad);
        EXPECT_EQ(result.exitCode, 2) << ::testing::PrintToString(bad);
        EXPECT_FALSE(result.errors.empty());
    }
}

TEST_F(LibraryPersistenceTest, ProcessesWritingAtOnceGetDistinctFiles) {
    constexpr int kWriters = 3, kEach = 5;
    std::vector<std::future<testsupport::ProgramResult>> writers;
    for (int i = 0; i < kWriters; ++i)
        writers.push_back(std::async(std::launch::async, [] {
            return testsupport::runProgram(testsupport::buildDirectory() / "bin/snapfold_assets_writer_child",
                                           {testsupport::processDeviceRoot().string(), std::to_string(kEach)});
        }));
    std::vector<foundation::NSURLRef> mine;
    for (int i = 0; i < kEach; ++i) mine.push_back(writePhoto(*library, 50 + i));
    std::set<std::string> urls;
    for (auto& writer : writers) {
        auto result = writer.get();
        ASSERT_EQ(result.exitCode, 0) << result.errors;
        for (const auto& line : lines(result.output)) urls.insert(line);
    }
    for (const auto& url : mine) urls.insert(url->absoluteString());
    EXPECT_EQ(urls.size(), static_cast<std::size_t>((kWriters + 1) * kEach));

    auto files = mediaFilesOnDisk();
    EXPECT_EQ(files.size(), urls.size());
    auto index = readIndex();
    EXPECT_EQ(index.integrityCheck, "ok");
    EXPECT_EQ(index.assetFilePaths, files);
    std::set<std::string> paths;
    for (const auto& url : urls) {
        auto asset = assetFor(*library, foundation::NSURL::URLWithString(url));
        ASSERT_TRUE(asset) << url;
        paths.insert(asset->defaultRepresentation()->devicePath());
    }
    EXPECT_EQ(paths.size(), urls.size());
}

TEST_F(LibraryPersistenceTest, ProcessesCreatingOneAlbumAtOnceMakeOne) {
    std::vector<std::future<int>> creators;
    for (int i = 0; i < 4; ++i)
        creators.push_back(std::async(std::launch::async, [this] { return tool({"create-album", "Race"}).exitCode; }));
    int succeeded = 0;
    for (auto& creator : creators) succeeded += creator.get() == 0 ? 1 : 0;
    EXPECT_EQ(succeeded, 1);
    EXPECT_THAT(namesOf(enumerate(*library, ALAssetsGroupAlbum).groups), ElementsAre("Race"));
}

TEST_F(LibraryPersistenceTest, IndexIsInWriteAheadLogMode) {
    writePhoto(*library);
    EXPECT_EQ(readIndex().journalMode, "wal");
}

}  // namespace
}  // namespace assetstest
