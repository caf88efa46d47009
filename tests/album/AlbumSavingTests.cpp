// The save entry points and the write-result callback.
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/PropertyList.h"
#include "platform/imageio/CGImageSource.h"
#include "platform/runtime/Selector.h"
#include "tests/album/AlbumTestSupport.h"

#include <fstream>

namespace albumtest {
namespace {

class AlbumSavingTest : public AlbumTest {
protected:
    static uikit::UIImageRef imageOf(std::uint8_t seed, std::uint32_t width, std::uint32_t height,
                                     uikit::UIImageOrientation orientation = uikit::UIImageOrientationUp) {
        auto bitmap = std::make_shared<imageio::CGImage>();
        bitmap->width = width;
        bitmap->height = height;
        bitmap->format = imageio::PixelFormat::RGB8;
        bitmap->pixels.resize(std::size_t{width} * height * 3);
        for (std::size_t i = 0; i < bitmap->pixels.size(); ++i)
            bitmap->pixels[i] = static_cast<std::uint8_t>(seed * 31 + i);
        return uikit::UIImage::imageWithCGImage(bitmap, 1.0, orientation);
    }
};

TEST_F(AlbumSavingTest, APictureLandsInTheAlbumAsPngWithThePngsOwnProperties) {
    auto image = imageOf(3, 40, 30);
    auto outcome = Outcome::make();
    saveImage(library, image, "Holiday", Outcome::completionOf(outcome), Outcome::failureOf(outcome));
    ASSERT_TRUE(outcome->waitForReport());
    ASSERT_EQ(outcome->completions.size(), 1u);
    NSURLRef url = outcome->completions[0].first;
    ASSERT_TRUE(url);
    EXPECT_NE(url->absoluteString().find("asset.PNG?id="), std::string::npos) << url->absoluteString();

    auto holiday = albumsNamed("Holiday");
    ASSERT_EQ(holiday.size(), 1u);
    EXPECT_EQ(assetURLsOf(holiday[0].group), std::vector<std::string>{url->absoluteString()});

    // The stored file is the PNG encoding, and the metadata handed over is
    // that PNG's own property dictionary.
    std::promise<assets::ALAssetRef> found;
    library->assetForURL(
        url, [&](assets::ALAssetRef asset) { found.set_value(asset); }, nullptr);
    auto asset = found.get_future().get();
    ASSERT_TRUE(asset);
    auto representation = asset->defaultRepresentation();
    std::ifstream file(foundation::hostPath(representation->devicePath()), std::ios::binary);
    auto bytes = std::make_shared<foundation::NSData>(std::istreambuf_iterator<char>(file),
                                                      std::istreambuf_iterator<char>());
    EXPECT_EQ(imageio::sniffImageFormat(*bytes), imageio::ImageFormat::PNG);
    auto expected = imageio::CGImageSourceCopyPropertiesAtIndex(imageio::CGImageSourceCreateWithData(bytes, nullptr), 0,
                                                                nullptr);
    ASSERT_TRUE(expected);
    EXPECT_EQ(foundation::PlistValue(representation->metadata()), foundation::PlistValue(*expected));
    EXPECT_EQ(expected->count("PixelWidth"), 1u);
    EXPECT_EQ(expected->count("Orientation"), 0u);
}

// A JPEG taken sideways (EXIF orientation 6) is stored upright: the PNG holds
// the pixels as they are seen, with width and height swapped.
TEST_F(AlbumSavingTest, ASidewaysPhotoIsStoredUpright) {
    auto image = imageOf(5, 8, 4, uikit::UIImageOrientationRight);
    auto outcome = Outcome::make();
    saveImage(library, image, "Upright", Outcome::completionOf(outcome), Outcome::failureOf(outcome));
    ASSERT_TRUE(outcome->waitForReport());
    ASSERT_EQ(outcome->completions.size(), 1u);
    std::promise<assets::ALAssetRef> found;
    library->assetForURL(
        outcome->completions[0].first, [&](assets::ALAssetRef asset) { found.set_value(asset); }, nullptr);
    auto asset = found.get_future().get();
    ASSERT_TRUE(asset);
    auto bitmap = asset->defaultRepresentation()->fullResolutionImage();
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->width, 4u);
    EXPECT_EQ(bitmap->height, 8u);
    EXPECT_EQ(asset->valueForProperty(assets::ALAssetPropertyOrientation)->integer(), 0);
}

TEST_F(AlbumSavingTest, AFailedWriteReachesOnlyTheFailureCallbackWithTheLibrarysError) {
    AssetsLibraryTestSeam::failNextWritesForTesting(1, assets::ALAssetsLibraryWriteFailedError);
    auto before = groups().size();
    auto outcome = Outcome::make();
    saveImage(library, imageOf(1, 4, 4), "Never", Outcome::completionOf(outcome), Outcome::failureOf(outcome));
    ASSERT_TRUE(outcome->waitForReport());
    EXPECT_TRUE(outcome->completions.empty());
    ASSERT_EQ(outcome->failures.size(), 1u);
    EXPECT_EQ(outcome->failures[0]->domain(), "ALAssetsLibraryErrorDomain");
    EXPECT_EQ(outcome->failures[0]->code(), -3300);
    EXPECT_EQ(groups().size(), before) << "no album is looked up or created";
}

// The write-result callback itself: an error goes on unchanged (the same
// object); no error goes to the album stage even without a URL.
TEST_F(AlbumSavingTest, TheWriteResultCallbackPassesTheSameErrorOrGoesOnToTheAlbum) {
    auto outcome = Outcome::make();
    auto writeResult = _resultBlockOfAddingToAlbum(library, "Stage", Outcome::completionOf(outcome),
                                                   Outcome::failureOf(outcome));
    auto error = foundation::NSError::errorWithDomain("Test", 7);
    writeResult(nullptr, error);
    AssetsLibraryTestSeam::drainForTesting();
    ASSERT_EQ(outcome->failures.size(), 1u);
    EXPECT_EQ(outcome->failures[0], error) << "that same error object";
    EXPECT_TRUE(albumsNamed("Stage").empty());

    auto noURL = Outcome::make();
    auto second = _resultBlockOfAddingToAlbum(library, "Stage", Outcome::completionOf(noURL),
                                              Outcome::failureOf(noURL));
    second(nullptr, nullptr);
    ASSERT_TRUE(noURL->waitForReport());
    EXPECT_EQ(albumsNamed("Stage").size(), 1u) << "the album stage ran";
    ASSERT_EQ(noURL->failures.size(), 1u) << "no asset for an absent URL: the add is refused";
    EXPECT_EQ(noURL->failures[0]->localizedDescription(), "ALAssetsGroup failed to add asset: (null).");
}

TEST_F(AlbumSavingTest, NoImageStillMakesTheWriteAndReportsTheLibrarysAnswer) {
    auto outcome = Outcome::make();
    saveImage(library, nullptr, "Empty", Outcome::completionOf(outcome), Outcome::failureOf(outcome));
    ASSERT_TRUE(outcome->waitForReport());
    EXPECT_TRUE(outcome->completions.empty());
    ASSERT_EQ(outcome->failures.size(), 1u);
    EXPECT_EQ(outcome->failures[0]->code(), -3302);
}

TEST_F(AlbumSavingTest, TheCallerMayDropTheLibraryRightAfterStartingASave) {
    auto outcome = Outcome::make();
    std::weak_ptr<assets::ALAssetsLibrary> watch = library;
    saveImage(library, imageOf(9, 10, 10), "Dropped", Outcome::completionOf(outcome), Outcome::failureOf(outcome));
    library.reset();
    ASSERT_TRUE(outcome->waitForReport());
    EXPECT_EQ(outcome->completions.size(), 1u);
    EXPECT_TRUE(watch.expired()) << "nothing keeps the library object once the save is done";
    library = assets::ALAssetsLibrary::create();
    EXPECT_EQ(albumsNamed("Dropped")[0].assets, 1);
}

TEST_F(AlbumSavingTest, EncodedDataAndVideosGoToTheAlbumToo) {
    auto outcome = Outcome::make();
    saveImageData(library, pngOf(4), "Mixed", NSDictionary{{"Note", "kept"}}, Outcome::completionOf(outcome),
                  Outcome::failureOf(outcome));
    ASSERT_TRUE(outcome->waitForReport());
    ASSERT_EQ(outcome->completions.size(), 1u);

    // A minimal ISO media file: an ftyp box is what marks it as a video.
    auto videoPath = foundation::hostPath("/var/mobile/Media/clip.mp4");
    {
        std::ofstream video(videoPath, std::ios::binary);
        const char box[] =
            "\0\0\0\x18"
            "ftypisom\0\0\0\0isommp42";
        video.write(box, sizeof box - 1);
        video << std::string(2048, 'v');
    }
    auto videoOutcome = Outcome::make();
    saveVideo(library, foundation::NSURL::fileURLWithPath("/var/mobile/Media/clip.mp4"), "Mixed",
              Outcome::completionOf(videoOutcome), Outcome::failureOf(videoOutcome));
    ASSERT_TRUE(videoOutcome->waitForReport());
    ASSERT_EQ(videoOutcome->completions.size(), 1u);
    auto mixed = albumsNamed("Mixed");
    ASSERT_EQ(mixed.size(), 1u);
    EXPECT_EQ(mixed[0].assets, 2);
}

TEST_F(AlbumSavingTest, TheCategoryIsCallableBySelector) {
    attachCategory();
    auto outcome = Outcome::make();
    ASSERT_TRUE(library->respondsToSelector(kSaveImageToAlbum.sel()));
    objc::msgSend(library.get(), kSaveImageToAlbum, imageOf(2, 5, 5), std::string("By name"),
                  Outcome::completionOf(outcome), Outcome::failureOf(outcome));
    ASSERT_TRUE(outcome->waitForReport());
    EXPECT_EQ(outcome->completions.size(), 1u);
    EXPECT_EQ(albumsNamed("By name").size(), 1u);
}

}  // namespace
}  // namespace albumtest
