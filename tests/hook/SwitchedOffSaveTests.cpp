// With the master switch off, each replaced method behaves exactly as the
// app's own: same receiver, selector and arguments, completion included, and
// nothing else happens.
#include "tests/hook/HookTestFixture.h"
#include "tests/hook/PhotoLibraryContents.h"

namespace hooktest {
namespace {

class SwitchedOffSaveTest : public HookTest {
protected:
    void SetUp() override {
        HookTest::SetUp();
        snapfold::installSaveHooks();
        writeSettings({{"isEnabled", false}, {"albumName", "Never used"}});
    }

    // Nothing of the tweak's own happened: no banner, nothing in the library.
    void expectNothingDiverted() {
        assets::AssetsLibraryTestSeam::drainForTesting();
        EXPECT_TRUE(springboard::presentedBannersForTesting().empty());
        EXPECT_TRUE(phototest::cameraRoll().empty());
        EXPECT_TRUE(phototest::albumNames().empty());
    }

    void expectOwnCompletion(CompletionRecord& completion) {
        ASSERT_EQ(completion.count(), 1u);
        EXPECT_EQ(completion.calls[0].first, RecordingHost::ownAssetURL());
        EXPECT_EQ(completion.calls[0].second, nullptr);
    }
};

TEST_F(SwitchedOffSaveTest, EnqueueReachesTheAppUnchanged) {
    CompletionRecord completion;
    const std::string path = writeJpeg("enqueued.jpg", 1);
    objc::msgSend(managerClass, hostapp::kEnqueueSavingMediaToCameraRollAtPath, path, completion.completion());

    auto calls = RecordingHost::calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].selector, "enqueue");
    EXPECT_EQ(calls[0].receiver, managerClass);
    EXPECT_EQ(calls[0].cmd, hostapp::kEnqueueSavingMediaToCameraRollAtPath.sel());
    EXPECT_EQ(calls[0].path, path);
    expectOwnCompletion(completion);
    expectNothingDiverted();
}

TEST_F(SwitchedOffSaveTest, SaveImageReachesTheAppWithTheSameImageObject) {
    CompletionRecord completion;
    auto image = uikit::UIImage::imageWithContentsOfFile(writeJpeg("given.jpg", 2));
    ASSERT_TRUE(image);
    objc::msgSend(managerClass, hostapp::kSaveImage, image, completion.completion());

    auto calls = RecordingHost::calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].selector, "saveImage");
    EXPECT_EQ(calls[0].receiver, managerClass);
    EXPECT_EQ(calls[0].cmd, hostapp::kSaveImage.sel());
    EXPECT_EQ(calls[0].image, image);
    expectOwnCompletion(completion);
    expectNothingDiverted();
}

TEST_F(SwitchedOffSaveTest, SaveMediaReachesTheAppUnchanged) {
    CompletionRecord completion;
    // Even a path that holds nothing is the app's business when switched off.
    const std::string path = "/var/mobile/Containers/Data/Application/HookTest/tmp/missing file.jpg";
    objc::msgSend(managerClass, hostapp::kSaveMediaAtPath, path, completion.completion());

    auto calls = RecordingHost::calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].selector, "saveMedia");
    EXPECT_EQ(calls[0].receiver, managerClass);
    EXPECT_EQ(calls[0].cmd, hostapp::kSaveMediaAtPath.sel());
    EXPECT_EQ(calls[0].path, path);
    expectOwnCompletion(completion);
    expectNothingDiverted();
}

// The switch is read at every call: switching off after a diverted save
// sends the next save to the app.
TEST_F(SwitchedOffSaveTest, TheSwitchIsReadAtEveryCall) {
    writeSettings({{"isEnabled", true}});
    BannerCollector banners;
    CompletionRecord completion;
    objc::msgSend(managerClass, hostapp::kSaveMediaAtPath, writeJpeg("first.jpg", 4), completion.completion());
    ASSERT_EQ(banners.waitFor(1).size(), 1u);
    EXPECT_TRUE(RecordingHost::calls().empty());

    writeSettings({{"isEnabled", false}});
    objc::msgSend(managerClass, hostapp::kSaveMediaAtPath, writeJpeg("second.jpg", 5), completion.completion());
    EXPECT_EQ(RecordingHost::calls().size(), 1u);
    EXPECT_EQ(completion.count(), 1u);  // Only the second save's: the diverted one never calls it.
}

}  // namespace
}  // namespace hooktest
