// Writing photos and videos into the saved-photos group: where they land,
// what is kept with them, and what a refused or failed write leaves behind
// (nothing).
#include "platform/assets/PhotoStore.h"
#include "platform/foundation/DeviceRoot.h"
#include "tests/platform/assets/AssetsTestSupport.h"

#include <gmock/gmock.h>

#include <csignal>
#include <fstream>
#include <sys/resource.h>

namespace assetstest {
namespace {

using namespace assets;
using ::testing::ElementsAre;
using ::testing::MatchesRegex;

class SavedPhotosWriteTest : public LibraryTest {
protected:
    Bytes fileBytes(const std::string& devicePath) {
        std::ifstream file(foundation::hostPath(devicePath), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    std::int64_t orientationOf(const WriteResult& written) {
        EXPECT_FALSE(written.error) << written.error->description();
        auto asset = assetFor(*library, written.url);
        if (!asset) return -1;
        return *asset->valueForProperty(ALAssetPropertyOrientation)->integer();
    }
    // Nothing of a refused or failed write may remain: no row, no media
    // file, no temporary.
    void expectLibraryEmpty() {
        EXPECT_EQ(groupNamed(*library, "Camera Roll")->numberOfAssets(), 0);
        EXPECT_THAT(mediaFilesOnDisk(), ElementsAre());
        EXPECT_THAT(temporaryFilesOnDisk(), ElementsAre());
        EXPECT_THAT(readIndex().assetFilePaths, ElementsAre());
    }
};

TEST_F(SavedPhotosWriteTest, PngDataBecomesAPngAssetOfTheSavedPhotosGroup) {
    auto data = pngData(40, 30);
    auto written = writeImage(*library, data);
    ASSERT_FALSE(written.error) << written.error->description();
    ASSERT_TRUE(written.url);
    EXPECT_THAT(
        written.url->absoluteString(),
        MatchesRegex("assets-library://asset/asset\\.PNG\\?id=[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}&ext=PNG"));
    EXPECT_THAT(assetURLsIn(groupNamed(*library, "Camera Roll")), ElementsAre(written.url->absoluteString()));
    EXPECT_THAT(mediaFilesOnDisk(), ElementsAre("/var/mobile/Media/DCIM/100APPLE/IMG_0001.PNG"));
    EXPECT_EQ(fileBytes("/var/mobile/Media/DCIM/100APPLE/IMG_0001.PNG"), *data);

    auto representation = assetFor(*library, written.url)->defaultRepresentation();
    EXPECT_EQ(representation->filename(), "IMG_0001.PNG");
    EXPECT_EQ(representation->devicePath(), "/var/mobile/Media/DCIM/100APPLE/IMG_0001.PNG");
    EXPECT_EQ(representation->size(), static_cast<std::int64_t>(data->size()));
}

TEST_F(SavedPhotosWriteTest, EachFormatKeepsItsDataAndGetsItsExtension) {
    std::vector<std::pair<foundation::NSDataRef, std::string>> inputs = {
        {pngData(), "PNG"}, {jpegData(), "JPG"}, {gifData(), "GIF"}, {webpData(), "WEBP"}};
    std::vector<std::string> expectedFiles;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const auto& [data, extension] = inputs[i];
        auto written = writeImage(*library, data);
        ASSERT_TRUE(written.url) << extension;
        EXPECT_THAT(written.url->absoluteString(), ::testing::EndsWith("&ext=" + extension));
        std::string path = "/var/mobile/Media/DCIM/100APPLE/IMG_000" + std::to_string(i + 1) + "." + extension;
        EXPECT_EQ(assetFor(*library, written.url)->defaultRepresentation()->devicePath(), path);
        EXPECT_EQ(fileBytes(path), *data) << path;
        expectedFiles.push_back(path);
    }
    std::sort(expectedFiles.begin(), expectedFiles.end());
    EXPECT_EQ(mediaFilesOnDisk(), expectedFiles);
}

TEST_F(SavedPhotosWriteTest, MetadataIsStoredWithTheAsset) {
    foundation::NSDictionary metadata{
        {"PixelWidth", 32},
        {"ColorModel", "RGB"},
        {"{PNG}", foundation::NSDictionary{{"InterlaceType", 0}, {"Gamma", "0.45455"}}},
    };
    auto written = writeImage(*library, pngData(), metadata);
    ASSERT_TRUE(written.url);
    EXPECT_EQ(assetFor(*library, written.url)->defaultRepresentation()->metadata(), metadata);

    auto bare = writeImage(*library, pngData());
    EXPECT_TRUE(assetFor(*library, bare.url)->defaultRepresentation()->metadata().empty());
}

TEST_F(SavedPhotosWriteTest, MetadataOrientationIsStoredInTheAssetsNumbering) {
    // EXIF numbering -> ALAssetOrientation (Up 0, Down 1, Left 2, Right 3, then mirrored 4 to 7).
    const std::vector<std::pair<int, int>> expected = {{1, 0}, {2, 4}, {3, 1}, {4, 5}, {5, 6}, {6, 3}, {7, 7}, {8, 2}};
    for (auto [exif, asset] : expected)
        EXPECT_EQ(orientationOf(writeImage(*library, pngData(), foundation::NSDictionary{{"Orientation", exif}})),
                  asset)
            << "EXIF " << exif;
}

TEST_F(SavedPhotosWriteTest, OrientationComesFromTheDataWhenTheMetadataHasNone) {
    EXPECT_EQ(orientationOf(writeImage(*library, jpegData(6))), 3);
    EXPECT_EQ(orientationOf(writeImage(*library, jpegData(8), foundation::NSDictionary{{"Other", 1}})), 2);
    EXPECT_EQ(orientationOf(writeImage(*library, pngData())), 0);
}

TEST_F(SavedPhotosWriteTest, MetadataOrientationOverridesTheDatas) {
    EXPECT_EQ(orientationOf(writeImage(*library, jpegData(6), foundation::NSDictionary{{"Orientation", 8}})), 2);
    EXPECT_EQ(orientationOf(writeImage(*library, jpegData(6), foundation::NSDictionary{{"Orientation", 1}})), 0);
}

TEST_F(SavedPhotosWriteTest, UnusableMetadataOrientationIsIgnored) {
    for (auto value : {foundation::PlistValue(9), foundation::PlistValue(0), foundation::PlistValue("6"),
                       foundation::PlistValue(6.5), foundation::PlistValue(true)})
        EXPECT_EQ(orientationOf(writeImage(*library, jpegData(8), foundation::NSDictionary{{"Orientation", value}})), 2)
            << value.description();
    EXPECT_EQ(orientationOf(writeImage(*library, pngData(), foundation::NSDictionary{{"Orientation", 6.0}})), 3);
}

TEST_F(SavedPhotosWriteTest, AbsentOrUndecodableDataIsRefusedAsInvalid) {
    auto png = pngData(40, 30);
    Bytes truncated(png->begin(), png->begin() + static_cast<std::ptrdiff_t>(png->size() / 2));
    std::string movie = writeMovie("/var/mobile/Media/clip.mov", "qt  ");
    std::filesystem::remove(foundation::hostPath("/var/mobile/Media/clip.mov"));
    std::vector<foundation::NSDataRef> refused = {nullptr, dataOf({}), dataOf({'h', 'e', 'l', 'l', 'o'}),
                                                  dataOf(truncated), dataOf(Bytes(movie.begin(), movie.end()))};
    for (const auto& data : refused) {
        auto written = writeImage(*library, data);
        EXPECT_FALSE(written.url);
        ASSERT_TRUE(written.error);
        EXPECT_EQ(written.error->domain(), "ALAssetsLibraryErrorDomain");
        EXPECT_EQ(written.error->code(), -3302);
    }
    expectLibraryEmpty();
}

TEST_F(SavedPhotosWriteTest, FailingWritesReportTheirCodeAndLeaveNothing) {
    AssetsLibraryTestSeam::failNextWritesForTesting(2, -3300);
    for (int i = 0; i < 2; ++i) {
        auto failed = writeImage(*library, pngData());
        EXPECT_FALSE(failed.url);
        ASSERT_TRUE(failed.error);
        EXPECT_EQ(failed.error->code(), -3300);
    }
    expectLibraryEmpty();
    // The next write succeeds and takes the first file name: the failed ones
    // used up nothing.
    ASSERT_TRUE(writePhoto(*library));
    EXPECT_THAT(mediaFilesOnDisk(), ElementsAre("/var/mobile/Media/DCIM/100APPLE/IMG_0001.PNG"));
}

TEST_F(SavedPhotosWriteTest, FileSizeLimitIsReportedAsNoSpace) {
    auto big = pngData(600, 400);
    ASSERT_GT(big->size(), 100'000u);
    // Media files may not grow past 64 KiB while the limit holds; the index
    // stays below it. Exceeding it gives EFBIG rather than the signal.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_TRUE(library->store()->prepare().ok());
    rlimit limited = saved;
    limited.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    auto written = writeImage(*library, big);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written.url);
    ASSERT_TRUE(written.error);
    EXPECT_EQ(written.error->code(), -3305);
    expectLibraryEmpty();
}

TEST_F(SavedPhotosWriteTest, RefusedAccessCompletesWithTheAccessError) {
    AssetsLibraryTestSeam::setAccessDeniedForTesting(true);
    auto written = writeImage(*library, pngData());
    ASSERT_TRUE(written.error);
    EXPECT_EQ(written.error->code(), -3311);
    EXPECT_FALSE(written.url);
    AssetsLibraryTestSeam::setAccessDeniedForTesting(false);
    expectLibraryEmpty();
}

TEST_F(SavedPhotosWriteTest, WriteWithoutCompletionBlockStillStoresThePhoto) {
    library->writeImageDataToSavedPhotosAlbum(pngData(), std::nullopt, nullptr);
    AssetsLibraryTestSeam::drainForTesting();
    EXPECT_EQ(groupNamed(*library, "Camera Roll")->numberOfAssets(), 1);
}

TEST_F(SavedPhotosWriteTest, FullScreenImageFitsTheScreenAndSmallImagesStayAsTheyAre) {
    auto large = assetFor(*library, writeImage(*library, pngData(2400, 1200)).url);
    auto small = assetFor(*library, writeImage(*library, pngData(300, 200)).url);
    ASSERT_TRUE(large && small);
    auto fitted = large->defaultRepresentation()->fullScreenImage();
    ASSERT_TRUE(fitted);
    EXPECT_EQ(fitted->width, 1920u);
    EXPECT_EQ(fitted->height, 960u);
    auto full = large->defaultRepresentation()->fullResolutionImage();
    ASSERT_TRUE(full);
    EXPECT_EQ(full->width, 2400u);
    auto unscaled = small->defaultRepresentation()->fullScreenImage();
    ASSERT_TRUE(unscaled);
    EXPECT_EQ(unscaled->width, 300u);
    EXPECT_EQ(unscaled->height, 200u);
}

TEST_F(SavedPhotosWriteTest, VideosAreCopiedAsMovAndMp4Assets) {
    std::string mov = writeMovie("/var/mobile/Media/clip.mov", "qt  ");
    std::string mp4 = writeMovie("/var/mobile/Media/clip.mp4", "isom");
    auto movURL = foundation::NSURL::fileURLWithPath("/var/mobile/Media/clip.mov");
    auto mp4URL = foundation::NSURL::fileURLWithPath("/var/mobile/Media/clip.mp4");
    EXPECT_TRUE(library->videoAtPathIsCompatibleWithSavedPhotosAlbum(movURL));

    auto writtenMov = writeVideo(*library, movURL);
    auto writtenMp4 = writeVideo(*library, mp4URL);
    ASSERT_TRUE(writtenMov.url && writtenMp4.url);
    EXPECT_THAT(writtenMov.url->absoluteString(), MatchesRegex("assets-library://asset/asset\\.MOV\\?id=.*&ext=MOV"));
    EXPECT_THAT(writtenMp4.url->absoluteString(), ::testing::EndsWith("&ext=MP4"));

    auto asset = assetFor(*library, writtenMov.url);
    ASSERT_TRUE(asset);
    EXPECT_EQ(*asset->valueForProperty(ALAssetPropertyType)->string(), "ALAssetTypeVideo");
    EXPECT_EQ(asset->description(), "ALAsset - Type:Video, URLs:" + writtenMov.url->absoluteString());
    EXPECT_FALSE(asset->defaultRepresentation()->fullScreenImage());
    auto stored = fileBytes("/var/mobile/Media/DCIM/100APPLE/IMG_0001.MOV");
    EXPECT_EQ(std::string(stored.begin(), stored.end()), mov);
    // The original stays where it was.
    EXPECT_TRUE(std::filesystem::exists(foundation::hostPath("/var/mobile/Media/clip.mov")));
}

TEST_F(SavedPhotosWriteTest, MissingOrNonVideoFilesAreRefused) {
    std::ofstream(foundation::hostPath("/var/mobile/Media/notes.txt")) << "not a movie at all";
    auto notVideo = foundation::NSURL::fileURLWithPath("/var/mobile/Media/notes.txt");
    EXPECT_FALSE(library->videoAtPathIsCompatibleWithSavedPhotosAlbum(notVideo));

    auto missing = writeVideo(*library, foundation::NSURL::fileURLWithPath("/var/mobile/Media/none.mov"));
    ASSERT_TRUE(missing.error);
    EXPECT_EQ(missing.error->code(), -3300);
    auto text = writeVideo(*library, notVideo);
    ASSERT_TRUE(text.error);
    EXPECT_EQ(text.error->code(), -3302);
    auto absent = writeVideo(*library, nullptr);
    ASSERT_TRUE(absent.error);
    EXPECT_EQ(absent.error->code(), -3302);
    auto notFile = writeVideo(*library, foundation::NSURL::URLWithString("https://example.invalid/clip.mov"));
    ASSERT_TRUE(notFile.error);
    EXPECT_EQ(notFile.error->code(), -3302);
    EXPECT_FALSE(missing.url || text.url || absent.url || notFile.url);
    expectLibraryEmpty();
}

}  // namespace
}  // namespace assetstest
