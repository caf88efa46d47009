// What keeps a library object alive: its pending work does not (a caller may
// drop it right after starting a save), except an album creation, which
// keeps it until its result block has run unless the test seam says not to.
#include "tests/platform/assets/AssetsTestSupport.h"

#include <gmock/gmock.h>

namespace assetstest {
namespace {

using namespace assets;

using LibraryLifetimeTest = LibraryTest;

TEST_F(LibraryLifetimeTest, LibraryDroppedRightAfterAWriteIsGoneAndTheWriteStillDelivers) {
    std::weak_ptr<ALAssetsLibrary> weakLibrary = library;
    std::promise<WriteResult> written;
    library->writeImageDataToSavedPhotosAlbum(pngData(), std::nullopt, [&](foundation::NSURLRef url, auto error) {
        written.set_value({url, error});
    });
    library.reset();
    EXPECT_TRUE(weakLibrary.expired());
    auto result = written.get_future().get();
    EXPECT_FALSE(result.error);
    ASSERT_TRUE(result.url);
    auto fresh = ALAssetsLibrary::create();
    EXPECT_TRUE(assetFor(*fresh, result.url));
}

TEST_F(LibraryLifetimeTest, EnumerationAndLookupDoNotHoldTheLibrary) {
    auto url = writePhoto(*library);
    std::weak_ptr<ALAssetsLibrary> weakLibrary = library;
    std::promise<void> enumerated;
    std::promise<ALAssetRef> found;
    library->enumerateGroupsWithTypes(
        ALAssetsGroupAll,
        [&](ALAssetsGroupRef group, bool*) {
            if (!group) enumerated.set_value();
        },
        nullptr);
    library->assetForURL(
        url, [&](ALAssetRef asset) { found.set_value(asset); }, nullptr);
    library.reset();
    EXPECT_TRUE(weakLibrary.expired());
    enumerated.get_future().get();
    EXPECT_TRUE(found.get_future().get());
}

TEST_F(LibraryLifetimeTest, AlbumCreationKeepsItsLibraryUntilTheResultBlockHasRun) {
    std::weak_ptr<ALAssetsLibrary> weakLibrary = library;
    std::promise<bool> aliveInBlock;
    library->addAssetsGroupAlbumWithName(
        "WhatsApp", [&, weakLibrary](ALAssetsGroupRef) { aliveInBlock.set_value(weakLibrary.lock() != nullptr); },
        nullptr);
    library.reset();
    EXPECT_TRUE(aliveInBlock.get_future().get());
    AssetsLibraryTestSeam::drainForTesting();
    EXPECT_TRUE(weakLibrary.expired());
}

TEST_F(LibraryLifetimeTest, WithTheSeamAlbumCreationLetsItsLibraryGo) {
    AssetsLibraryTestSeam::setAlbumCreationReleasesLibraryForTesting(true);
    AssetsLibraryTestSeam::setDeliveryHeldForTesting(true);
    std::weak_ptr<ALAssetsLibrary> weakLibrary = library;
    std::promise<std::pair<bool, bool>> inBlock;  // library alive, group delivered
    library->addAssetsGroupAlbumWithName(
        "WhatsApp",
        [&, weakLibrary](ALAssetsGroupRef group) {
            inBlock.set_value({weakLibrary.lock() != nullptr, group != nullptr});
        },
        nullptr);
    library.reset();
    EXPECT_TRUE(weakLibrary.expired());
    AssetsLibraryTestSeam::setDeliveryHeldForTesting(false);
    auto [alive, delivered] = inBlock.get_future().get();
    EXPECT_FALSE(alive);
    EXPECT_TRUE(delivered);
}

TEST_F(LibraryLifetimeTest, GroupsAndAssetsWorkAfterTheirLibraryIsGone) {
    auto url = writePhoto(*library);
    auto album = createAlbum(*library, "WhatsApp").group;
    auto asset = assetFor(*library, url);
    ASSERT_TRUE(album && asset);
    library.reset();
    EXPECT_TRUE(album->addAsset(asset));
    EXPECT_THAT(assetURLsIn(album), ::testing::ElementsAre(url->absoluteString()));
    EXPECT_TRUE(asset->defaultRepresentation()->fullScreenImage());
}

}  // namespace
}  // namespace assetstest
