// Creating user albums: a new name, a name that is taken or empty, the test
// seam's variants, and creation reached by name through the runtime.
#include "platform/assets/PhotoStore.h"
#include "platform/runtime/Selector.h"
#include "tests/platform/assets/AssetsTestSupport.h"

#include <gmock/gmock.h>

#include <thread>

namespace assetstest {
namespace {

using namespace assets;
using ::testing::ElementsAre;

using AlbumCreationTest = LibraryTest;

TEST_F(AlbumCreationTest, NewNameGivesAnEditableAlbumAtTheEndOfTheOrder) {
    ASSERT_TRUE(createAlbum(*library, "Holidays").group);
    auto created = createAlbum(*library, "WhatsApp");
    ASSERT_TRUE(created.group);
    EXPECT_FALSE(created.error);
    EXPECT_EQ(nameOf(created.group), "WhatsApp");
    EXPECT_EQ(created.group->valueForProperty(ALAssetsGroupPropertyType)->integer(), 2);
    EXPECT_TRUE(created.group->isEditable());
    EXPECT_EQ(created.group->numberOfAssets(), 0);
    EXPECT_THAT(namesOf(enumerate(*library, ALAssetsGroupAlbum).groups), ElementsAre("Holidays", "WhatsApp"));
}

TEST_F(AlbumCreationTest, TakenNameAnswersNoGroupThroughTheResultBlock) {
    ASSERT_TRUE(createAlbum(*library, "WhatsApp").group);
    auto again = createAlbum(*library, "WhatsApp");
    EXPECT_TRUE(again.resultBlockCalled);
    EXPECT_FALSE(again.group);
    EXPECT_FALSE(again.error);
    EXPECT_THAT(namesOf(enumerate(*library, ALAssetsGroupAlbum).groups), ElementsAre("WhatsApp"));
}

TEST_F(AlbumCreationTest, NameOfAGroupOfAnotherKindIsTakenToo) {
    auto cameraRoll = createAlbum(*library, "Camera Roll");
    EXPECT_TRUE(cameraRoll.resultBlockCalled);
    EXPECT_FALSE(cameraRoll.group);
    ASSERT_TRUE(library->store()->createGroup("Anna", ALAssetsGroupFaces).ok());
    EXPECT_FALSE(createAlbum(*library, "Anna").group);
    EXPECT_TRUE(enumerate(*library, ALAssetsGroupAlbum).groups.empty());
}

TEST_F(AlbumCreationTest, NameDifferingOnlyInLetterCaseIsFree) {
    ASSERT_TRUE(createAlbum(*library, "WhatsApp").group);
    auto lower = createAlbum(*library, "whatsapp");
    ASSERT_TRUE(lower.group);
    EXPECT_EQ(nameOf(lower.group), "whatsapp");
}

TEST_F(AlbumCreationTest, EmptyNameAnswersNoGroup) {
    auto empty = createAlbum(*library, "");
    EXPECT_TRUE(empty.resultBlockCalled);
    EXPECT_FALSE(empty.group);
    EXPECT_TRUE(enumerate(*library, ALAssetsGroupAlbum).groups.empty());
}

TEST_F(AlbumCreationTest, ConcurrentCreationsOfOneNameMakeOneAlbum) {
    constexpr int kCallers = 8;
    std::vector<std::thread> callers;
    std::vector<CreationResult> results(kCallers);
    for (int i = 0; i < kCallers; ++i)
        callers.emplace_back([&, i] { results[i] = createAlbum(*ALAssetsLibrary::create(), "Shared"); });
    for (auto& caller : callers) caller.join();
    int created = 0;
    for (const auto& result : results) {
        EXPECT_TRUE(result.resultBlockCalled);
        if (result.group) ++created;
    }
    EXPECT_EQ(created, 1);
    EXPECT_THAT(namesOf(enumerate(*library, ALAssetsGroupAlbum).groups), ElementsAre("Shared"));
}

TEST_F(AlbumCreationTest, SeamCanMakeCreationAnswerNoGroup) {
    AssetsLibraryTestSeam::setAlbumCreationAnswersNoGroupForTesting(true);
    auto result = createAlbum(*library, "WhatsApp");
    EXPECT_TRUE(result.resultBlockCalled);
    EXPECT_FALSE(result.group);
    EXPECT_TRUE(enumerate(*library, ALAssetsGroupAlbum).groups.empty());
}

TEST_F(AlbumCreationTest, SeamCanMakeAlbumsOfOneNameAndGroupsOfOtherKinds) {
    auto first = createAlbum(*library, "Pets").group;
    auto second = createAlbum(*library, "Copy").group;
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(AssetsLibraryTestSeam::renameGroupForTesting(second->groupId(), "Pets"));
    EXPECT_FALSE(AssetsLibraryTestSeam::renameGroupForTesting(9999, "Pets"));
    std::int64_t event = AssetsLibraryTestSeam::addGroupForTesting("Pets", ALAssetsGroupEvent);
    EXPECT_GT(event, 0);
    EXPECT_EQ(AssetsLibraryTestSeam::addGroupForTesting("Roll", ALAssetsGroupSavedPhotos), 0);

    auto all = enumerate(*library, ALAssetsGroupAll).groups;
    EXPECT_THAT(namesOf(all), ElementsAre("Camera Roll", "Pets", "Pets", "Pets"));
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[1]->groupId(), first->groupId());
    EXPECT_EQ(all[2]->groupId(), second->groupId());
    EXPECT_EQ(all[3]->groupId(), event);
    EXPECT_EQ(all[3]->valueForProperty(ALAssetsGroupPropertyType)->integer(), 4);
    // The name is taken all the more.
    EXPECT_FALSE(createAlbum(*library, "Pets").group);
}

TEST_F(AlbumCreationTest, RefusedAccessCallsOnlyTheFailureBlock) {
    AssetsLibraryTestSeam::setAccessDeniedForTesting(true);
    auto result = createAlbum(*library, "WhatsApp");
    EXPECT_FALSE(result.resultBlockCalled);
    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->code(), -3311);
    AssetsLibraryTestSeam::setAccessDeniedForTesting(false);
    EXPECT_TRUE(enumerate(*library, ALAssetsGroupAlbum).groups.empty());
}

TEST_F(AlbumCreationTest, ClassIsKnownByNameAndMakesWorkingLibraries) {
    objc::Class cls = objc::objc_getClass("ALAssetsLibrary");
    ASSERT_NE(cls, nullptr);
    auto made = std::dynamic_pointer_cast<ALAssetsLibrary>(objc::allocInit(cls));
    ASSERT_TRUE(made);
    EXPECT_EQ(objc::object_getClass(made.get()), cls);
    EXPECT_TRUE(createAlbum(*made, "By Name").group);
    EXPECT_THAT(namesOf(enumerate(*library, ALAssetsGroupAlbum).groups), ElementsAre("By Name"));
}

TEST_F(AlbumCreationTest, CreationRespondsByNameUnlessTheSeamSaysUnavailable) {
    objc::SEL selector = kAddAssetsGroupAlbumWithName.sel();
    EXPECT_TRUE(library->respondsToSelector(selector));
    AssetsLibraryTestSeam::setAlbumCreationUnavailableForTesting(true);
    EXPECT_FALSE(library->respondsToSelector(selector));
    EXPECT_TRUE(library->respondsToSelector(objc::kInit.sel()));
    AssetsLibraryTestSeam::setAlbumCreationUnavailableForTesting(false);
    EXPECT_TRUE(library->respondsToSelector(selector));
}

TEST_F(AlbumCreationTest, MessageSentByNameCreatesTheAlbum) {
    std::promise<ALAssetsGroupRef> created;
    objc::msgSend(library.get(), kAddAssetsGroupAlbumWithName, std::string("Sent"),
                  ALAssetsLibraryGroupResultBlock([&created](ALAssetsGroupRef group) { created.set_value(group); }),
                  ALAssetsLibraryAccessFailureBlock());
    auto group = created.get_future().get();
    ASSERT_TRUE(group);
    EXPECT_EQ(nameOf(group), "Sent");
}

}  // namespace
}  // namespace assetstest
