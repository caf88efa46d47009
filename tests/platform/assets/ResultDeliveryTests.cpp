// Where and when result blocks run: never inside the call that started the
// operation, always on the delivery queue, and held back while the test
// seam holds delivery.
#include "platform/assets/PhotoStore.h"
#include "platform/foundation/DispatchQueue.h"
#include "tests/platform/assets/AssetsTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gmock/gmock.h>

#include <atomic>
#include <functional>

namespace assetstest {
namespace {

using namespace assets;

class ResultDeliveryTest : public LibraryTest {
protected:
    // Starts an operation from the delivery queue itself, as an app starts
    // it from its main thread, and reports whether its block had already run
    // when the call returned, and whether it later ran on that queue.
    struct Observation {
        bool ranInsideTheCall = true;
        bool ranOnDeliveryQueue = false;
    };
    Observation observe(const std::function<void(std::function<void()> onBlock)>& start) {
        auto ran = std::make_shared<std::atomic<bool>>(false);
        auto done = std::make_shared<std::promise<bool>>();
        std::promise<bool> afterCall;
        foundation::mainQueue().async([&, ran, done] {
            start([ran, done] {
                if (ran->exchange(true)) return;  // count the first block only
                done->set_value(foundation::mainQueue().isCurrent());
            });
            afterCall.set_value(ran->load());
        });
        Observation observation;
        observation.ranInsideTheCall = afterCall.get_future().get();
        observation.ranOnDeliveryQueue = done->get_future().get();
        AssetsLibraryTestSeam::drainForTesting();
        return observation;
    }

    void expectDeliveredLater(const char* operation, const std::function<void(std::function<void()>)>& start) {
        auto observation = observe(start);
        EXPECT_FALSE(observation.ranInsideTheCall) << operation;
        EXPECT_TRUE(observation.ranOnDeliveryQueue) << operation;
    }
};

TEST_F(ResultDeliveryTest, EveryOperationDeliversLaterOnTheDeliveryQueue) {
    auto url = writePhoto(*library);
    auto lib = library;
    expectDeliveredLater("write", [lib](auto onBlock) {
        lib->writeImageDataToSavedPhotosAlbum(pngData(), std::nullopt, [onBlock](auto, auto) { onBlock(); });
    });
    expectDeliveredLater("refused write", [lib](auto onBlock) {
        lib->writeImageDataToSavedPhotosAlbum(nullptr, std::nullopt, [onBlock](auto, auto) { onBlock(); });
    });
    writeMovie("/var/mobile/Media/clip.mov", "qt  ");
    expectDeliveredLater("video write", [lib](auto onBlock) {
        lib->writeVideoAtPathToSavedPhotosAlbum(foundation::NSURL::fileURLWithPath("/var/mobile/Media/clip.mov"),
                                                [onBlock](auto, auto) { onBlock(); });
    });
    expectDeliveredLater("enumeration", [lib](auto onBlock) {
        lib->enumerateGroupsWithTypes(
            ALAssetsGroupAll, [onBlock](auto, bool*) { onBlock(); }, nullptr);
    });
    expectDeliveredLater("asset lookup", [lib, url](auto onBlock) {
        lib->assetForURL(
            url, [onBlock](auto) { onBlock(); }, nullptr);
    });
    expectDeliveredLater("unknown asset lookup", [lib](auto onBlock) {
        lib->assetForURL(
            foundation::NSURL::URLWithString("nonsense"), [onBlock](auto) { onBlock(); }, nullptr);
    });
    expectDeliveredLater("album creation", [lib](auto onBlock) {
        lib->addAssetsGroupAlbumWithName(
            "WhatsApp", [onBlock](auto) { onBlock(); }, nullptr);
    });
    expectDeliveredLater("album creation with a taken name", [lib](auto onBlock) {
        lib->addAssetsGroupAlbumWithName(
            "WhatsApp", [onBlock](auto) { onBlock(); }, nullptr);
    });
}

TEST_F(ResultDeliveryTest, FailureBlocksAreDeliveredLaterToo) {
    AssetsLibraryTestSeam::setAccessDeniedForTesting(true);
    auto lib = library;
    expectDeliveredLater("refused enumeration", [lib](auto onBlock) {
        lib->enumerateGroupsWithTypes(ALAssetsGroupAll, nullptr, [onBlock](auto) { onBlock(); });
    });
    expectDeliveredLater("refused lookup",
                         [lib](auto onBlock) { lib->assetForURL(nullptr, nullptr, [onBlock](auto) { onBlock(); }); });
    expectDeliveredLater("refused creation", [lib](auto onBlock) {
        lib->addAssetsGroupAlbumWithName("WhatsApp", nullptr, [onBlock](auto) { onBlock(); });
    });
}

TEST_F(ResultDeliveryTest, HeldDeliveryWaitsUntilReleasedWhileTheWorkIsDone) {
    AssetsLibraryTestSeam::setDeliveryHeldForTesting(true);
    std::atomic<int> delivered{0};
    library->writeImageDataToSavedPhotosAlbum(pngData(), std::nullopt, [&](auto, auto) { ++delivered; });
    library->addAssetsGroupAlbumWithName(
        "WhatsApp", [&](auto) { ++delivered; }, nullptr);
    AssetsLibraryTestSeam::drainForTesting();
    foundation::mainQueue().drain();
    EXPECT_EQ(delivered, 0);
    // The work itself is done: another connection to the library sees it.
    auto other = PhotoStore::open(testsupport::processDeviceRoot());
    auto groups = other->groups(ALAssetsGroupAll);
    ASSERT_TRUE(groups.ok());
    ASSERT_EQ(groups->size(), 2u);
    EXPECT_EQ(other->numberOfAssets(groups->front().id).value(), 1);

    AssetsLibraryTestSeam::setDeliveryHeldForTesting(false);
    AssetsLibraryTestSeam::drainForTesting();
    EXPECT_EQ(delivered, 2);
}

TEST_F(ResultDeliveryTest, DrainWaitsForOperationsStartedByResultBlocks) {
    // write -> enumerate -> create album -> look the asset up -> add it: the
    // album saver's chain, each step started from the previous one's block.
    std::atomic<bool> added{false};
    auto lib = library;
    lib->writeImageDataToSavedPhotosAlbum(pngData(), std::nullopt, [lib, &added](foundation::NSURLRef url, auto) {
        lib->enumerateGroupsWithTypes(
            ALAssetsGroupAlbum,
            [lib, url, &added](ALAssetsGroupRef group, bool*) {
                if (group) return;
                lib->addAssetsGroupAlbumWithName(
                    "WhatsApp",
                    [lib, url, &added](ALAssetsGroupRef album) {
                        lib->assetForURL(
                            url, [album, &added](ALAssetRef asset) { added = album->addAsset(asset); }, nullptr);
                    },
                    nullptr);
            },
            nullptr);
    });
    AssetsLibraryTestSeam::drainForTesting();
    EXPECT_TRUE(added);
    EXPECT_EQ(groupNamed(*library, "WhatsApp")->numberOfAssets(), 1);
}

}  // namespace
}  // namespace assetstest
