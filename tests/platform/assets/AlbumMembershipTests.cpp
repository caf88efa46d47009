// Adding assets to groups and reading a group's assets back, in order.
#include "platform/assets/PhotoStore.h"
#include "tests/platform/assets/AssetsTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gmock/gmock.h>

#include <limits>

namespace assetstest {
namespace {

using namespace assets;
using ::testing::ElementsAre;

class AlbumMembershipTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        album = createAlbum(*library, "WhatsApp").group;
        ASSERT_TRUE(album);
        for (std::uint32_t seed = 1; seed <= 3; ++seed) {
            urls.push_back(writePhoto(*library, seed));
            photos.push_back(assetFor(*library, urls.back()));
            ASSERT_TRUE(photos.back());
        }
    }

    ALAssetsGroupRef album;
    std::vector<foundation::NSURLRef> urls;
    std::vector<ALAssetRef> photos;
};

TEST_F(AlbumMembershipTest, AssetsKeepTheOrderInWhichTheyWereAdded) {
    EXPECT_TRUE(album->addAsset(photos[2]));
    EXPECT_TRUE(album->addAsset(photos[0]));
    EXPECT_TRUE(album->addAsset(photos[1]));
    EXPECT_THAT(assetURLsIn(album),
                ElementsAre(urls[2]->absoluteString(), urls[0]->absoluteString(), urls[1]->absoluteString()));
    EXPECT_EQ(album->numberOfAssets(), 3);
    // Another object for the same album, read afresh, sees the same order.
    EXPECT_THAT(assetURLsIn(groupNamed(*library, "WhatsApp")),
                ElementsAre(urls[2]->absoluteString(), urls[0]->absoluteString(), urls[1]->absoluteString()));
}

TEST_F(AlbumMembershipTest, AddingAnAssetAgainAnswersTrueAndKeepsOneEntry) {
    EXPECT_TRUE(album->addAsset(photos[0]));
    EXPECT_TRUE(album->addAsset(photos[1]));
    EXPECT_TRUE(album->addAsset(photos[0]));
    EXPECT_THAT(assetURLsIn(album), ElementsAre(urls[0]->absoluteString(), urls[1]->absoluteString()));
}

TEST_F(AlbumMembershipTest, SavedPhotosHoldsEveryWriteInOrderAndTakesNoAdds) {
    auto cameraRoll = groupNamed(*library, "Camera Roll");
    ASSERT_TRUE(cameraRoll);
    EXPECT_THAT(assetURLsIn(cameraRoll),
                ElementsAre(urls[0]->absoluteString(), urls[1]->absoluteString(), urls[2]->absoluteString()));
    EXPECT_FALSE(cameraRoll->addAsset(photos[0]));
    EXPECT_EQ(cameraRoll->numberOfAssets(), 3);
}

TEST_F(AlbumMembershipTest, GroupsOfOtherKindsRefuseAssets) {
    ASSERT_TRUE(library->store()->createGroup("Last Weekend", ALAssetsGroupEvent).ok());
    auto event = groupNamed(*library, "Last Weekend");
    ASSERT_TRUE(event);
    EXPECT_FALSE(event->isEditable());
    EXPECT_FALSE(event->addAsset(photos[0]));
    EXPECT_EQ(event->numberOfAssets(), 0);
}

TEST_F(AlbumMembershipTest, SeamMakesGroupsRefuseAssets) {
    AssetsLibraryTestSeam::setGroupsRefuseAssetsForTesting(true);
    EXPECT_FALSE(album->addAsset(photos[0]));
    AssetsLibraryTestSeam::setGroupsRefuseAssetsForTesting(false);
    EXPECT_EQ(album->numberOfAssets(), 0);
    EXPECT_TRUE(album->addAsset(photos[0]));
}

TEST_F(AlbumMembershipTest, AbsentAssetsAndAssetsOfAnotherLibraryAreRefused) {
    EXPECT_FALSE(album->addAsset(nullptr));
    auto otherRoot = testsupport::processDeviceRoot().parent_path() /
                     (testsupport::processDeviceRoot().filename().string() + "-other");
    auto otherStore = PhotoStore::open(otherRoot);
    auto image = pngData();
    auto record = otherStore->addPhoto({*image, "PNG", 0, std::nullopt});
    ASSERT_TRUE(record.ok()) << record.error().message;
    auto foreign = ALAsset::readFromStore(otherStore, record->id);
    ASSERT_TRUE(foreign.ok()) << foreign.error().message;
    ASSERT_TRUE(foreign.value());
    EXPECT_FALSE(album->addAsset(foreign.value()));
    EXPECT_EQ(album->numberOfAssets(), 0);
    std::filesystem::remove_all(otherRoot);
}

TEST_F(AlbumMembershipTest, AssetEnumerationGivesIndexesAndEndsWithOneEmptyCall) {
    for (const auto& photo : photos) ASSERT_TRUE(album->addAsset(photo));
    std::vector<std::uint64_t> indexes;
    int emptyCalls = 0;
    std::uint64_t emptyIndex = 0;
    album->enumerateAssetsUsingBlock([&](ALAssetRef asset, std::uint64_t index, bool*) {
        if (asset) {
            indexes.push_back(index);
        } else {
            ++emptyCalls;
            emptyIndex = index;
        }
    });
    EXPECT_THAT(indexes, ElementsAre(0u, 1u, 2u));
    EXPECT_EQ(emptyCalls, 1);
    EXPECT_EQ(emptyIndex, static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()));
}

TEST_F(AlbumMembershipTest, AssetEnumerationStopsWhenAsked) {
    for (const auto& photo : photos) ASSERT_TRUE(album->addAsset(photo));
    int assetCalls = 0, emptyCalls = 0;
    album->enumerateAssetsUsingBlock([&](ALAssetRef asset, std::uint64_t, bool* stop) {
        if (!asset) {
            ++emptyCalls;
            return;
        }
        ++assetCalls;
        *stop = true;
    });
    EXPECT_EQ(assetCalls, 1);
    EXPECT_EQ(emptyCalls, 1);
}

TEST_F(AlbumMembershipTest, EmptyAlbumEnumeratesOnlyTheFinalCall) {
    int calls = 0;
    bool sawAsset = false;
    album->enumerateAssetsUsingBlock([&](ALAssetRef asset, std::uint64_t, bool*) {
        ++calls;
        sawAsset = sawAsset || asset;
    });
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(sawAsset);
}

}  // namespace
}  // namespace assetstest
