// Enumerating groups: which kinds each mask delivers, in which order, the
// one final call with no group, and the stop flag.
#include "platform/assets/PhotoStore.h"
#include "tests/platform/assets/AssetsTestSupport.h"

#include <gmock/gmock.h>

#include <atomic>

namespace assetstest {
namespace {

using namespace assets;
using ::testing::ElementsAre;

class GroupEnumerationTest : public LibraryTest {
protected:
    // Two user albums around groups of every other kind, in this creation
    // order (the saved-photos group comes with the library, before them all).
    void makeGroupsOfEveryKind() {
        auto store = library->store();
        ASSERT_TRUE(createAlbum(*library, "Holidays").group);
        ASSERT_TRUE(store->createGroup("Last Weekend", ALAssetsGroupEvent).ok());
        ASSERT_TRUE(store->createGroup("Anna", ALAssetsGroupFaces).ok());
        ASSERT_TRUE(store->createGroup("My Photo Stream", ALAssetsGroupPhotoStream).ok());
        ASSERT_TRUE(createAlbum(*library, "WhatsApp").group);
    }
};

TEST_F(GroupEnumerationTest, AlbumMaskDeliversOnlyUserAlbums) {
    makeGroupsOfEveryKind();
    auto seen = enumerate(*library, ALAssetsGroupAlbum);
    EXPECT_THAT(namesOf(seen.groups), ElementsAre("Holidays", "WhatsApp"));
    for (const auto& group : seen.groups) EXPECT_EQ(group->valueForProperty(ALAssetsGroupPropertyType)->integer(), 2);
}

TEST_F(GroupEnumerationTest, AlbumMaskNeverDeliversSavedPhotosEvenWithAssets) {
    writePhoto(*library);
    auto seen = enumerate(*library, ALAssetsGroupAlbum);
    EXPECT_TRUE(seen.groups.empty());
    EXPECT_EQ(seen.finalCalls, 1);
}

TEST_F(GroupEnumerationTest, AllMaskDeliversEveryKindInCreationOrder) {
    makeGroupsOfEveryKind();
    auto seen = enumerate(*library, ALAssetsGroupAll);
    EXPECT_THAT(namesOf(seen.groups),
                ElementsAre("Camera Roll", "Holidays", "Last Weekend", "Anna", "My Photo Stream", "WhatsApp"));
    std::vector<std::int64_t> types;
    for (const auto& group : seen.groups)
        types.push_back(*group->valueForProperty(ALAssetsGroupPropertyType)->integer());
    EXPECT_THAT(types, ElementsAre(16, 2, 4, 8, 32, 2));
}

TEST_F(GroupEnumerationTest, MasksCombineKinds) {
    makeGroupsOfEveryKind();
    EXPECT_THAT(namesOf(enumerate(*library, ALAssetsGroupSavedPhotos).groups), ElementsAre("Camera Roll"));
    EXPECT_THAT(namesOf(enumerate(*library, ALAssetsGroupEvent | ALAssetsGroupFaces).groups),
                ElementsAre("Last Weekend", "Anna"));
    EXPECT_THAT(namesOf(enumerate(*library, ALAssetsGroupLibrary).groups), ElementsAre());
}

TEST_F(GroupEnumerationTest, EndsWithExactlyOneCallWithoutGroup) {
    makeGroupsOfEveryKind();
    for (ALAssetsGroupType mask : {ALAssetsGroupAll, ALAssetsGroupAlbum, 0u}) {
        auto seen = enumerate(*library, mask);
        EXPECT_EQ(seen.finalCalls, 1) << "mask " << mask;
        EXPECT_TRUE(seen.lastCallHadNoGroup) << "mask " << mask;
    }
}

TEST_F(GroupEnumerationTest, StopEndsTheEnumerationAndTheFinalCallStillComesOnce) {
    makeGroupsOfEveryKind();
    auto stoppedAtFirst = enumerate(*library, ALAssetsGroupAll, 0);
    EXPECT_THAT(namesOf(stoppedAtFirst.groups), ElementsAre("Camera Roll"));
    EXPECT_EQ(stoppedAtFirst.finalCalls, 1);
    EXPECT_TRUE(stoppedAtFirst.lastCallHadNoGroup);

    auto stoppedAtLast = enumerate(*library, ALAssetsGroupAlbum, 1);
    EXPECT_THAT(namesOf(stoppedAtLast.groups), ElementsAre("Holidays", "WhatsApp"));
    EXPECT_EQ(stoppedAtLast.finalCalls, 1);
}

TEST_F(GroupEnumerationTest, CallsOfOneEnumerationComeOneAtATimeAndDoNotInterleave) {
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(library->store()->createGroup("Album " + std::to_string(i), ALAssetsGroupAlbum).ok());
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    std::mutex mutex;
    std::vector<int> callOrder;  // which enumeration each call belonged to
    for (int enumeration = 0; enumeration < 2; ++enumeration) {
        library->enumerateGroupsWithTypes(
            ALAssetsGroupAll,
            [&, enumeration](ALAssetsGroupRef, bool*) {
                if (inside.fetch_add(1) != 0) overlapped = true;
                {
                    std::lock_guard lock(mutex);
                    callOrder.push_back(enumeration);
                }
                inside.fetch_sub(1);
            },
            nullptr);
    }
    AssetsLibraryTestSeam::drainForTesting();
    EXPECT_FALSE(overlapped);
    ASSERT_EQ(callOrder.size(), 2u * 22u);
    // Each enumeration's 21 groups and final call form one unbroken run.
    EXPECT_TRUE(std::is_sorted(callOrder.begin(), callOrder.end()));
}

TEST_F(GroupEnumerationTest, RefusedAccessCallsOnlyTheFailureBlock) {
    AssetsLibraryTestSeam::setAccessDeniedForTesting(true);
    auto seen = enumerate(*library, ALAssetsGroupAll);
    ASSERT_TRUE(seen.error);
    EXPECT_EQ(seen.error->domain(), "ALAssetsLibraryErrorDomain");
    EXPECT_EQ(seen.error->code(), -3311);
    EXPECT_TRUE(seen.groups.empty());
    EXPECT_EQ(seen.finalCalls, 0);
}

TEST_F(GroupEnumerationTest, GroupsDescribeThemselves) {
    auto created = createAlbum(*library, "WhatsApp").group;
    ASSERT_TRUE(created);
    auto seen = enumerate(*library, ALAssetsGroupAll);
    ASSERT_EQ(seen.groups.size(), 2u);
    const auto& cameraRoll = seen.groups[0];
    const auto& album = seen.groups[1];

    auto id = album->valueForProperty(ALAssetsGroupPropertyPersistentID);
    ASSERT_TRUE(id && id->string());
    EXPECT_THAT(*id->string(),
                ::testing::MatchesRegex("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}"));
    EXPECT_EQ(*album->valueForProperty(ALAssetsGroupPropertyURL)->string(),
              "assets-library://group/?id=" + *id->string());
    EXPECT_EQ(*created->valueForProperty(ALAssetsGroupPropertyPersistentID)->string(), *id->string());
    EXPECT_FALSE(album->valueForProperty("ALAssetsGroupPropertyUnknown"));

    EXPECT_TRUE(album->isEditable());
    EXPECT_FALSE(cameraRoll->isEditable());
    EXPECT_EQ(album->description(), "ALAssetsGroup - Name:WhatsApp, Type:Album, Assets count:0");
}

}  // namespace
}  // namespace assetstest
