// Reading an album's images back.
#include "platform/foundation/NSLog.h"
#include "tests/album/AlbumTestSupport.h"

namespace albumtest {
namespace {

struct Loaded {
    std::mutex mutex;
    int calls = 0;
    ImageArray images;
    NSErrorRef error;
};

class AlbumLoadingTest : public AlbumTest {
protected:
    std::shared_ptr<Loaded> load(const std::string& name) {
        auto loaded = std::make_shared<Loaded>();
        loadImagesFromAlbum(*library, name, [loaded](ImageArray images, NSErrorRef error) {
            std::lock_guard lock(loaded->mutex);
            ++loaded->calls;
            loaded->images = std::move(images);
            loaded->error = std::move(error);
        });
        AssetsLibraryTestSeam::drainForTesting();
        return loaded;
    }

    void addTo(const ALAssetsGroupRef& group, const NSURLRef& url) {
        std::promise<void> added;
        library->assetForURL(
            url,
            [&](assets::ALAssetRef asset) {
                group->addAsset(asset);
                added.set_value();
            },
            nullptr);
        added.get_future().wait();
    }
};

TEST_F(AlbumLoadingTest, AnEmptyAlbumGivesAnEmptyArray) {
    createAlbum("Empty");
    auto loaded = load("Empty");
    EXPECT_EQ(loaded->calls, 1);
    ASSERT_TRUE(loaded->images);
    EXPECT_TRUE(loaded->images->empty());
    EXPECT_EQ(loaded->error, nullptr);
}

TEST_F(AlbumLoadingTest, ImagesComeInTheGroupsOrderAtScaleOneWithTheAssetsOrientation) {
    auto album = createAlbum("Ordered");
    std::vector<std::uint32_t> widths = {3, 5, 7};
    for (std::uint32_t width : widths) {
        std::promise<NSURLRef> written;
        library->writeImageDataToSavedPhotosAlbum(pngOf(static_cast<std::uint8_t>(width), width, 2),
                                                  NSDictionary{{"Orientation", std::int64_t{6}}},
                                                  [&](NSURLRef url, NSErrorRef) { written.set_value(url); });
        addTo(album, written.get_future().get());
    }
    auto loaded = load("Ordered");
    ASSERT_EQ(loaded->calls, 1);
    ASSERT_TRUE(loaded->images);
    ASSERT_EQ(loaded->images->size(), widths.size());
    for (std::size_t i = 0; i < widths.size(); ++i) {
        const auto& image = (*loaded->images)[i];
        EXPECT_EQ(image->scale(), 1.0);
        EXPECT_EQ(image->CGImage()->width, widths[i]) << "in the group's order";
        // EXIF 6 is the platform's "Right" (3).
        EXPECT_EQ(image->imageOrientation(), uikit::UIImageOrientationRight);
    }
}

TEST_F(AlbumLoadingTest, NamesMatchExactlyAndFirstGroupWins) {
    createAlbum("Pets");
    auto loaded = load("pets");
    EXPECT_EQ(loaded->calls, 0) << "no group matches: no callback";

    auto copy = createAlbum("Pets copy");
    ASSERT_TRUE(AssetsLibraryTestSeam::renameGroupForTesting(copy->groupId(), "Pets"));
    addTo(copy, writeAsset());
    auto first = load("Pets");
    ASSERT_EQ(first->calls, 1);
    EXPECT_TRUE(first->images->empty()) << "only the first group of that name is loaded";
}

TEST_F(AlbumLoadingTest, EveryKindOfGroupIsConsideredTheSavedPhotosGroupIncluded) {
    NSURLRef url = writeAsset();
    std::string savedPhotosName;
    for (auto& info : groups())
        if (info.type == assets::ALAssetsGroupSavedPhotos) savedPhotosName = info.name;
    auto loaded = load(savedPhotosName);
    ASSERT_EQ(loaded->calls, 1);
    EXPECT_EQ(loaded->images->size(), 1u);
    AssetsLibraryTestSeam::addGroupForTesting("An event", assets::ALAssetsGroupEvent);
    EXPECT_EQ(load("An event")->calls, 1);
}

TEST_F(AlbumLoadingTest, ARefusedEnumerationIsLoggedAndReported) {
    std::vector<std::string> logged;
    std::mutex logMutex;
    foundation::setLogSinkForTesting([&](const std::string& line) {
        std::lock_guard lock(logMutex);
        logged.push_back(line);
    });
    AssetsLibraryTestSeam::setAccessDeniedForTesting(true);
    auto loaded = load("Anything");
    foundation::setLogSinkForTesting(nullptr);
    ASSERT_EQ(loaded->calls, 1);
    EXPECT_EQ(loaded->images, nullptr);
    ASSERT_TRUE(loaded->error);
    EXPECT_EQ(loaded->error->code(), -3311);
    ASSERT_EQ(logged.size(), 1u);
    // "%s: %@": the failure callback's platform name, then the description.
    EXPECT_NE(logged[0].find("-[ALAssetsLibrary(CustomPhotoAlbum) loadImagesFromAlbum:completion:]"),
              std::string::npos);
    const std::string tail = ": " + loaded->error->localizedDescription();
    ASSERT_GE(logged[0].size(), tail.size());
    EXPECT_EQ(logged[0].substr(logged[0].size() - tail.size()), tail);
}

}  // namespace
}  // namespace albumtest
