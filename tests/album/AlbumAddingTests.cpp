// Finding the album by name, creating it, and adding the asset: every way the
// album stage can end.
#include "platform/foundation/NSLog.h"
#include "tests/album/AlbumTestSupport.h"

namespace albumtest {
namespace {

using foundation::NSError;

class AlbumAddingTest : public AlbumTest {};

TEST_F(AlbumAddingTest, ExactNameReceivesTheAssetAndNoAlbumIsCreated) {
    createAlbum("Other");
    createAlbum("Trips");
    NSURLRef url = writeAsset();
    auto outcome = Outcome::make();
    addAssetURL(library, url, "Trips", Outcome::completionOf(outcome), Outcome::failureOf(outcome));
    ASSERT_TRUE(outcome->waitForReport());

    ASSERT_EQ(outcome->completions.size(), 1u);
    EXPECT_TRUE(outcome->failures.empty());
    EXPECT_EQ(outcome->completions[0].first, url) << "the very URL the call started with";
    EXPECT_EQ(outcome->completions[0].second, nullptr) << "the completion never carries an error";
    auto trips = albumsNamed("Trips");
    ASSERT_EQ(trips.size(), 1u);
    EXPECT_EQ(assetURLsOf(trips[0].group), std::vector<std::string>{url->absoluteString()});
    EXPECT_EQ(albumsNamed("Other")[0].assets, 0);
}

// Names compare as the platform's compare: does: case matters, canonically
// equivalent spellings do not.
TEST_F(AlbumAddingTest, NamesMatchByCanonicalEquivalenceButNotAcrossLetterCase) {
    createAlbum("trips");
    createAlbum("Caf\u00e9");
    NSURLRef first = writeAsset(1), second = writeAsset(2);

    auto outcome = Outcome::make();
    addAssetURL(library, first, "Cafe\u0301", Outcome::completionOf(outcome), Outcome::failureOf(outcome));
    ASSERT_TRUE(outcome->waitForReport());
    EXPECT_EQ(outcome->completions.size(), 1u);
    EXPECT_EQ(albumsNamed("Caf\u00e9")[0].assets, 1);
    EXPECT_TRUE(albumsNamed("Cafe\u0301").empty()) << "no album was created for the equivalent spelling";

    auto cased = Outcome::make();
    addAssetURL(library, second, "Trips", Outcome::completionOf(cased), Outcome::failureOf(cased));
    ASSERT_TRUE(cased->waitForReport());
    EXPECT_EQ(cased->completions.size(), 1u);
    ASSERT_EQ(albumsNamed("Trips").size(), 1u) << "a request for the exact name was made";
    EXPECT_EQ(albumsNamed("Trips")[0].assets, 1);
    EXPECT_EQ(albumsNamed("trips")[0].assets, 0);
}

TEST_F(AlbumAddingTest, OnlyTheFirstOfTwoSameNamedAlbumsReceivesTheAsset) {
    createAlbum("Twice");
    // The library refuses a second album of one name, so the second one is
    // made as another name and renamed at the store: the tool's way.
    ASSERT_TRUE(library->store());
    auto groupsBefore = groups().size();
    ASSERT_TRUE(createAlbum("Twice (copy)"));
    auto copy = albumsNamed("Twice (copy)");
    ASSERT_EQ(copy.size(), 1u);
    ASSERT_TRUE(assets::AssetsLibraryTestSeam::renameGroupForTesting(copy[0].group->groupId(), "Twice"));

    NSURLRef url = writeAsset();
    auto outcome = Outcome::make();
    addAssetURL(library, url, "Twice", Outcome::completionOf(outcome), Outcome::failureOf(outcome));
    ASSERT_TRUE(outcome->waitForReport());
    auto twice = albumsNamed("Twice");
    ASSERT_EQ(twice.size(), 2u);
    EXPECT_EQ(twice[0].assets, 1);
    EXPECT_EQ(twice[1].assets, 0);
    EXPECT_EQ(groups().size(), groupsBefore + 1) << "no album was created";
}

TEST_F(AlbumAddingTest, NoMatchCreatesExactlyOneAlbumAndAddsTheAssetToIt) {
    NSURLRef url = writeAsset();
    auto before = groups().size();
    auto outcome = Outcome::make();
    addAssetURL(library, url, "Brand new", Outcome::completionOf(outcome), Outcome::failureOf(outcome));
    ASSERT_TRUE(outcome->waitForReport());
    ASSERT_EQ(outcome->completions.size(), 1u);
    EXPECT_EQ(outcome->completions[0].first, url);
    EXPECT_EQ(groups().size(), before + 1);
    auto created = albumsNamed("Brand new");
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(assetURLsOf(created[0].group), std::vector<std::string>{url->absoluteString()});
}

// The saved-photos group is never enumerated by the save path: asking for an
// album of its name leads to a creation request, which the library refuses
// for a name that exists, and so to the category error.
TEST_F(AlbumAddingTest, TheSavedPhotosGroupNeverMatchesASave) {
    NSURLRef url = writeAsset();
    std::string savedPhotosName;
    for (auto& info : groups())
        if (info.type == assets::ALAssetsGroupSavedPhotos) savedPhotosName = info.name;
    ASSERT_FALSE(savedPhotosName.empty());

    auto outcome = Outcome::make();
    addAssetURL(library, url, savedPhotosName, Outcome::completionOf(outcome), Outcome::failureOf(outcome));
    ASSERT_TRUE(outcome->waitForReport());
    EXPECT_TRUE(outcome->completions.empty());
    ASSERT_EQ(outcome->failures.size(), 1u);
    EXPECT_EQ(outcome->failures[0]->domain(), "LIB_ALAssetsLibrary_CustomPhotoAlbum");
}

TEST_F(AlbumAddingTest, CreationAnsweredWithNoGroupReportsTheCategoryError) {
    AssetsLibraryTestSeam::setAlbumCreationAnswersNoGroupForTesting(true);
    NSURLRef url = writeAsset();
    auto outcome = Outcome::make();
    addAssetURL(library, url, "Never made", Outcome::completionOf(outcome), Outcome::failureOf(outcome));
    ASSERT_TRUE(outcome->waitForReport());
    EXPECT_TRUE(outcome->completions.empty());
    ASSERT_EQ(outcome->failures.size(), 1u);
    const NSError& error = *outcome->failures[0];
    EXPECT_EQ(error.domain(), "LIB_ALAssetsLibrary_CustomPhotoAlbum");
    EXPECT_EQ(error.code(), 0);
    EXPECT_EQ(error.userInfo().size(), 1u);
    // The asset was found, so its description is in the message.
    EXPECT_EQ(error.localizedDescription().rfind("ALAssetsGroup failed to add asset: ALAsset - Type:Photo, URLs:", 0),
              0u)
        << error.localizedDescription();
    EXPECT_NE(error.localizedDescription().find(url->absoluteString() + "."), std::string::npos);
}

// Saves started together into an album nobody has made yet each ask for it;
// all but the first creation answer no group, because the album now exists.
// Each of those looks the album up again and lands there.
TEST_F(AlbumAddingTest, QuickSavesIntoANewAlbumAllLandInIt) {
    constexpr int kSaves = 12;
    std::vector<NSURLRef> urls;
    for (int i = 0; i < kSaves; ++i) urls.push_back(writeAsset(i + 1));
    std::vector<std::shared_ptr<Outcome>> outcomes;
    for (const auto& url : urls) {
        outcomes.push_back(Outcome::make());
        addAssetURL(library, url, "Quick", Outcome::completionOf(outcomes.back()), Outcome::failureOf(outcomes.back()));
    }
    for (const auto& outcome : outcomes) {
        ASSERT_TRUE(outcome->waitForReport());
        EXPECT_EQ(outcome->completions.size(), 1u);
        EXPECT_TRUE(outcome->failures.empty()) << outcome->failures[0]->localizedDescription();
    }
    auto quick = albumsNamed("Quick");
    ASSERT_EQ(quick.size(), 1u);
    EXPECT_EQ(quick[0].assets, kSaves);
}

TEST_F(AlbumAddingTest, AGroupThatRefusesTheAssetReportsTheCategoryError) {
    createAlbum("Locked");
    AssetsLibraryTestSeam::setGroupsRefuseAssetsForTesting(true);
    NSURLRef url = writeAsset();
    auto outcome = Outcome::make();
    addAssetURL(library, url, "Locked", Outcome::completionOf(outcome), Outcome::failureOf(outcome));
    ASSERT_TRUE(outcome->waitForReport());
    EXPECT_TRUE(outcome->completions.empty());
    ASSERT_EQ(outcome->failures.size(), 1u);
    EXPECT_EQ(outcome->failures[0]->domain(), "LIB_ALAssetsLibrary_CustomPhotoAlbum");
    EXPECT_EQ(albumsNamed("Locked")[0].assets, 0);
}

TEST_F(AlbumAddingTest, WithoutAlbumCreationOnlyTheWarningIsLoggedOnce) {
    std::vector<std::string> logged;
    std::mutex logMutex;
    foundation::setLogSinkForTesting([&](const std::string& line) {
        std::lock_guard lock(logMutex);
        logged.push_back(line);
    });
    AssetsLibraryTestSeam::setAlbumCreationUnavailableForTesting(true);
    EXPECT_FALSE(library->respondsToSelector(assets::kAddAssetsGroupAlbumWithName.sel()));
    NSURLRef url = writeAsset();
    auto before = groups().size();
    auto outcome = Outcome::make();
    addAssetURL(library, url, "Unmakeable", Outcome::completionOf(outcome), Outcome::failureOf(outcome));
    AssetsLibraryTestSeam::drainForTesting();
    foundation::setLogSinkForTesting(nullptr);

    EXPECT_EQ(outcome->reports(), 0u) << "neither caller callback is called";
    EXPECT_EQ(groups().size(), before);
    const std::string warning = "![WARNING][LIB:ALAssetsLibrary+CustomPhotoAlbum]:" + std::string(15, ' ') +
                                "|-addAssetsGroupAlbumWithName:resultBlock:failureBlock:|" + std::string(15, ' ') +
                                "only available on iOS 5.0 or later." + std::string(15, ' ') +
                                "ASSET cannot be saved to album!";
    ASSERT_EQ(warning.size(), 216u);
    // The photo library may log its own lines; the album saver logs exactly one.
    std::vector<std::string> fromTheSaver;
    for (const auto& line : logged)
        if (line.find("CustomPhotoAlbum") != std::string::npos) fromTheSaver.push_back(line);
    EXPECT_EQ(fromTheSaver, std::vector<std::string>{warning});
}

// The album-creation callback holds the library object weakly: when nobody
// else holds it by then, nothing is reported and the new album stays empty.
TEST_F(AlbumAddingTest, ACreationResultAfterTheLibraryIsGoneReportsNothing) {
    AssetsLibraryTestSeam::setAlbumCreationReleasesLibraryForTesting(true);
    NSURLRef url = writeAsset();
    auto outcome = Outcome::make();
    std::weak_ptr<assets::ALAssetsLibrary> watch = library;
    addAssetURL(library, url, "Orphaned", Outcome::completionOf(outcome), Outcome::failureOf(outcome));
    library.reset();
    AssetsLibraryTestSeam::drainForTesting();
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(outcome->reports(), 0u);

    library = assets::ALAssetsLibrary::create();
    auto orphaned = albumsNamed("Orphaned");
    ASSERT_EQ(orphaned.size(), 1u) << "the album was created";
    EXPECT_EQ(orphaned[0].assets, 0);
}

TEST_F(AlbumAddingTest, LibraryErrorsReachTheFailureCallbackUnchanged) {
    NSURLRef url = writeAsset();
    AssetsLibraryTestSeam::setAccessDeniedForTesting(true);
    auto outcome = Outcome::make();
    addAssetURL(library, url, "Anything", Outcome::completionOf(outcome), Outcome::failureOf(outcome));
    ASSERT_TRUE(outcome->waitForReport());
    EXPECT_TRUE(outcome->completions.empty());
    ASSERT_EQ(outcome->failures.size(), 1u);
    EXPECT_EQ(outcome->failures[0]->domain(), "ALAssetsLibraryErrorDomain");
    EXPECT_EQ(outcome->failures[0]->code(), -3311);
}

// A success and a refusal, each with no callback to report to: both end
// quietly, and only the success changed the album.
TEST_F(AlbumAddingTest, AbsentCallbacksAreAllowed) {
    NSURLRef url = writeAsset(1);
    addAssetURL(library, url, "Quiet", nullptr, nullptr);
    AssetsLibraryTestSeam::drainForTesting();
    auto quiet = albumsNamed("Quiet");
    ASSERT_EQ(quiet.size(), 1u);
    EXPECT_EQ(assetURLsOf(quiet[0].group), std::vector<std::string>{url->absoluteString()});

    AssetsLibraryTestSeam::setGroupsRefuseAssetsForTesting(true);
    addAssetURL(library, writeAsset(2), "Quiet", nullptr, nullptr);
    AssetsLibraryTestSeam::drainForTesting();
    quiet = albumsNamed("Quiet");
    ASSERT_EQ(quiet.size(), 1u);
    EXPECT_EQ(assetURLsOf(quiet[0].group), std::vector<std::string>{url->absoluteString()});
}

}  // namespace
}  // namespace albumtest
