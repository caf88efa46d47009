// With the master switch on, a save never reaches the app: the picture goes
// into the album named by the settings, and a banner reports the outcome.
#include "platform/foundation/CFNotificationCenter.h"
#include "platform/foundation/DeviceRoot.h"
#include "tests/hook/HookTestFixture.h"
#include "tests/hook/PhotoLibraryContents.h"
#include "tests/support/TestSupport.h"

#include <future>

namespace hooktest {
namespace {

using snapfold::kSaveFailedMessage;
using snapfold::kSaveSucceededMessage;

class DivertedSaveTest : public HookTest {
protected:
    void SetUp() override {
        HookTest::SetUp();
        snapfold::installSaveHooks();
    }

    void expectAppUntouched(CompletionRecord& completion) {
        EXPECT_TRUE(RecordingHost::calls().empty());
        EXPECT_EQ(completion.count(), 0u);
    }
};

// The two path methods behave alike.
struct PathMethod {
    const char* name;
    const objc::TypedSelector<void(std::string, hostapp::WASaveCompletion)>* selector;
};
void PrintTo(const PathMethod& method, std::ostream* out) { *out << method.name; }

class DivertedPathSaveTest : public DivertedSaveTest, public ::testing::WithParamInterface<PathMethod> {
protected:
    void save(const std::string& path, CompletionRecord& completion) {
        objc::msgSend(managerClass, *GetParam().selector, path, completion.completion());
    }
};

TEST_P(DivertedPathSaveTest, APictureLandsInTheDefaultAlbumWithTheSuccessBanner) {
    BannerCollector banners;
    CompletionRecord completion;
    save(writeJpeg("harbour.jpg", 7), completion);

    auto shown = banners.waitFor(1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].message, kSaveSucceededMessage);
    auto album = phototest::assetsIn("WhatsApp");
    ASSERT_EQ(album.size(), 1u);
    EXPECT_EQ(album[0].type, assets::ALAssetTypePhoto);
    // The album saver's own write is the only one: the app's camera-roll save
    // never happened.
    EXPECT_EQ(phototest::cameraRoll().size(), 1u);
    expectAppUntouched(completion);
}

TEST_P(DivertedPathSaveTest, AVideoLandsInTheAlbumAsAVideo) {
    BannerCollector banners;
    CompletionRecord completion;
    save(writeFile("clip.mp4", minimalMp4()), completion);

    auto shown = banners.waitFor(1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].message, kSaveSucceededMessage);
    auto album = phototest::assetsIn("WhatsApp");
    ASSERT_EQ(album.size(), 1u);
    EXPECT_EQ(album[0].type, assets::ALAssetTypeVideo);
    expectAppUntouched(completion);
}

TEST_P(DivertedPathSaveTest, AFileThatIsNeitherPictureNorVideoShowsTheFailureBanner) {
    BannerCollector banners;
    CompletionRecord completion;
    const char text[] = "not a picture, not a video";
    save(writeFile("note.txt", std::vector<std::uint8_t>(text, text + sizeof text - 1)), completion);

    auto shown = banners.waitFor(1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].message, kSaveFailedMessage);
    EXPECT_TRUE(phototest::cameraRoll().empty());
    EXPECT_TRUE(phototest::albumNames().empty());
    expectAppUntouched(completion);
}

TEST_P(DivertedPathSaveTest, AMissingFileShowsTheFailureBanner) {
    BannerCollector banners;
    CompletionRecord completion;
    save("/var/mobile/Containers/Data/Application/HookTest/tmp/gone.jpg", completion);

    auto shown = banners.waitFor(1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].message, kSaveFailedMessage);
    expectAppUntouched(completion);
}

INSTANTIATE_TEST_SUITE_P(PathMethods, DivertedPathSaveTest,
                         ::testing::Values(PathMethod{"Enqueue", &hostapp::kEnqueueSavingMediaToCameraRollAtPath},
                                           PathMethod{"SaveMedia", &hostapp::kSaveMediaAtPath}),
                         [](const auto& info) { return std::string(info.param.name); });

// The picture given by the app is the one saved: a picture that exists only
// in memory could not have been reloaded from anywhere.
TEST_F(DivertedSaveTest, SaveImageStoresTheVeryPictureItWasGiven) {
    auto bitmap = std::make_shared<imageio::CGImage>();
    bitmap->width = 5;
    bitmap->height = 3;
    bitmap->format = imageio::PixelFormat::RGB8;
    for (std::size_t i = 0; i < 5 * 3 * 3; ++i) bitmap->pixels.push_back(static_cast<std::uint8_t>(i * 17));
    auto image = uikit::UIImage::imageWithCGImage(bitmap, 1.0, uikit::UIImageOrientationUp);

    BannerCollector banners;
    CompletionRecord completion;
    objc::msgSend(managerClass, hostapp::kSaveImage, image, completion.completion());

    auto shown = banners.waitFor(1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].message, kSaveSucceededMessage);
    auto album = phototest::assetsIn("WhatsApp");
    ASSERT_EQ(album.size(), 1u);
    ASSERT_TRUE(album[0].image);
    EXPECT_EQ(album[0].image->width, 5u);
    EXPECT_EQ(album[0].image->height, 3u);
    EXPECT_EQ(album[0].image->pixels, bitmap->pixels);
    expectAppUntouched(completion);
}

TEST_F(DivertedSaveTest, SaveImageWithNoPictureShowsTheFailureBanner) {
    BannerCollector banners;
    CompletionRecord completion;
    objc::msgSend(managerClass, hostapp::kSaveImage, uikit::UIImageRef(), completion.completion());
    auto shown = banners.waitFor(1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].message, kSaveFailedMessage);
    expectAppUntouched(completion);
}

TEST_F(DivertedSaveTest, TheAlbumNameOfTheSettingsIsUsed) {
    writeSettings({{"albumName", "Ferries"}});
    BannerCollector banners;
    CompletionRecord completion;
    objc::msgSend(managerClass, hostapp::kSaveMediaAtPath, writeJpeg("ferry.jpg", 8), completion.completion());
    ASSERT_EQ(banners.waitFor(1).size(), 1u);
    EXPECT_EQ(phototest::assetsIn("Ferries").size(), 1u);
    EXPECT_TRUE(phototest::assetsIn("WhatsApp").empty());
}

TEST_F(DivertedSaveTest, AFailedWriteShowsTheFailureBannerAndSavesNothing) {
    assets::AssetsLibraryTestSeam::failNextWritesForTesting(1, assets::ALAssetsLibraryWriteDiskSpaceError);
    BannerCollector banners;
    CompletionRecord completion;
    objc::msgSend(managerClass, hostapp::kSaveMediaAtPath, writeJpeg("full.jpg", 9), completion.completion());

    auto shown = banners.waitFor(1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].message, kSaveFailedMessage);
    EXPECT_TRUE(phototest::cameraRoll().empty());
    expectAppUntouched(completion);
}

// Two saves started back to back, while the library holds every result: each
// has its own library object, and each reports on its own.
TEST_F(DivertedSaveTest, TwoSavesInQuickSuccessionAreIndependent) {
    struct Made {
        std::mutex mutex;
        std::vector<std::weak_ptr<assets::ALAssetsLibrary>> libraries;
    };
    static Made made;
    {
        std::lock_guard lock(made.mutex);
        made.libraries.clear();
    }
    snapfold::setAssetsLibraryFactoryForTesting([] {
        auto library = assets::ALAssetsLibrary::create();
        std::lock_guard lock(made.mutex);
        made.libraries.push_back(library);
        return library;
    });

    // The album exists already: two saves that both find none would each ask
    // the library to create it, and the library refuses the second name.
    BannerCollector banners;
    CompletionRecord completion;
    objc::msgSend(managerClass, hostapp::kSaveMediaAtPath, writeJpeg("zero.jpg", 10), completion.completion());
    ASSERT_EQ(banners.waitFor(1).size(), 1u);
    {
        std::lock_guard lock(made.mutex);
        made.libraries.clear();
    }

    assets::AssetsLibraryTestSeam::setDeliveryHeldForTesting(true);
    objc::msgSend(managerClass, hostapp::kSaveMediaAtPath, writeJpeg("one.jpg", 11), completion.completion());
    objc::msgSend(managerClass, hostapp::kEnqueueSavingMediaToCameraRollAtPath, writeJpeg("two.jpg", 12),
                  completion.completion());
    {
        std::lock_guard lock(made.mutex);
        ASSERT_EQ(made.libraries.size(), 2u);
        // Both alive, held by their own pending saves only (the driver kept no
        // reference), and distinct.
        auto first = made.libraries[0].lock();
        auto second = made.libraries[1].lock();
        ASSERT_TRUE(first && second);
        EXPECT_NE(first, second);
    }
    assets::AssetsLibraryTestSeam::setDeliveryHeldForTesting(false);

    auto shown = banners.waitFor(3);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[1].message, kSaveSucceededMessage);
    EXPECT_EQ(shown[2].message, kSaveSucceededMessage);
    EXPECT_NE(shown[1].bulletin, shown[2].bulletin);
    EXPECT_EQ(phototest::assetsIn("WhatsApp").size(), 3u);
    // Once both saves are over, nothing holds their library objects.
    std::lock_guard lock(made.mutex);
    EXPECT_TRUE(made.libraries[0].expired());
    EXPECT_TRUE(made.libraries[1].expired());
    expectAppUntouched(completion);
}

// The outcome callbacks, called as the album saver calls them.
TEST_F(DivertedSaveTest, TheOutcomeCallbacksShowTheirBanners) {
    snapfold::albumSaveSucceeded(nullptr, nullptr);
    snapfold::albumSaveSucceeded(foundation::NSURL::URLWithString("assets-library://asset/asset.PNG?id=A&ext=PNG"),
                                 foundation::NSError::errorWithDomain("Ignored", 1));
    snapfold::albumSaveFailed(foundation::NSError::errorWithDomain(assets::ALAssetsLibraryErrorDomain, -3300));
    // A failure without an error shows nothing.
    snapfold::albumSaveFailed(nullptr);

    auto shown = springboard::presentedBannersForTesting();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].message, kSaveSucceededMessage);
    EXPECT_EQ(shown[1].message, kSaveSucceededMessage);
    EXPECT_EQ(shown[2].message, kSaveFailedMessage);
}

// The album name changes in another process between two saves: the settings
// tool rewrites the file and posts the notification, this process's snapshot
// reloads, and the second save goes to the new album.
class AlbumNameChangeTest : public DivertedSaveTest {
protected:
    struct Arrival {
        std::promise<void> promise;
        std::once_flag once;  // Posts may arrive more than once; the promise is kept once.
    };
    static void reloaded(CFNotificationCenterRef, void* observer, CFStringRef, const void*, CFDictionaryRef) {
        auto* arrival = static_cast<Arrival*>(observer);
        std::call_once(arrival->once, [&] { arrival->promise.set_value(); });
    }
};

TEST_F(AlbumNameChangeTest, TheNextSaveGoesToTheAlbumNamedInAnotherProcess) {
    // The hook library's own subscription, as its initializer makes it; once
    // per process, since it is never undone.
    static const bool subscribed = [] {
        CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), nullptr,
                                        &snapfold::settingsChanged, snapfold::kSettingsChangedNotification, nullptr,
                                        CFNotificationSuspensionBehaviorCoalesce);
        return true;
    }();
    ASSERT_TRUE(subscribed);

    BannerCollector banners;
    CompletionRecord completion;
    objc::msgSend(managerClass, hostapp::kSaveMediaAtPath, writeJpeg("before.jpg", 13), completion.completion());
    ASSERT_EQ(banners.waitFor(1).size(), 1u);

    // Observers of one name are called in the order they subscribed, so this
    // one hears the change after the snapshot has reloaded.
    Arrival changed;
    CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), &changed, &reloaded,
                                    snapfold::kSettingsChangedNotification, nullptr,
                                    CFNotificationSuspensionBehaviorCoalesce);
    auto tool = testsupport::runProgram(testsupport::buildDirectory() / "bin/snapfold-settings",
                                        {"set", "albumName", "Harbour trips"});
    ASSERT_EQ(tool.exitCode, 0) << tool.errors;
    bool arrived = changed.promise.get_future().wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    CFNotificationCenterRemoveObserver(CFNotificationCenterGetDarwinNotifyCenter(), &changed,
                                       snapfold::kSettingsChangedNotification, nullptr);
    ASSERT_TRUE(arrived);

    objc::msgSend(managerClass, hostapp::kSaveMediaAtPath, writeJpeg("after.jpg", 14), completion.completion());
    ASSERT_EQ(banners.waitFor(2).size(), 2u);
    EXPECT_EQ(phototest::assetsIn("WhatsApp").size(), 1u);
    EXPECT_EQ(phototest::assetsIn("Harbour trips").size(), 1u);
}

}  // namespace
}  // namespace hooktest
