// Fixtures for the album saver's tests: a real photo library in the test
// process's device root, outcome recorders, and synchronous helpers.
#pragma once

#include "album/ALAssetsLibrary+CustomPhotoAlbum.h"
#include "platform/imageio/ImageCodecs.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <future>
#include <mutex>
#include <string>
#include <vector>

namespace albumtest {

using namespace CustomPhotoAlbum;
using assets::ALAssetsGroupRef;
using assets::AssetsLibraryTestSeam;

// What the caller's callbacks received.
struct Outcome {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::pair<NSURLRef, NSErrorRef>> completions;
    std::vector<NSErrorRef> failures;

    static std::shared_ptr<Outcome> make() { return std::make_shared<Outcome>(); }
    static CompletionBlock completionOf(const std::shared_ptr<Outcome>& outcome) {
        return [outcome](NSURLRef url, NSErrorRef error) {
            std::lock_guard lock(outcome->mutex);
            outcome->completions.emplace_back(std::move(url), std::move(error));
            outcome->changed.notify_all();
        };
    }
    static FailureBlock failureOf(const std::shared_ptr<Outcome>& outcome) {
        return [outcome](NSErrorRef error) {
            std::lock_guard lock(outcome->mutex);
            outcome->failures.push_back(std::move(error));
            outcome->changed.notify_all();
        };
    }
    // Waits for the first report, then lets everything pending settle.
    bool waitForReport() {
        bool reported;
        {
            std::unique_lock lock(mutex);
            reported = changed.wait_for(lock, std::chrono::seconds(20),
                                        [&] { return !completions.empty() || !failures.empty(); });
        }
        AssetsLibraryTestSeam::drainForTesting();
        return reported;
    }
    std::size_t reports() {
        std::lock_guard lock(mutex);
        return completions.size() + failures.size();
    }
};

struct GroupInfo {
    std::string name;
    std::int64_t type = 0;
    std::int64_t assets = 0;
    ALAssetsGroupRef group;
};

class AlbumTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::processDeviceRoot();
        AssetsLibraryTestSeam::resetForTesting();
        AssetsLibraryTestSeam::drainForTesting();
        testsupport::clearDevice();
        library = assets::ALAssetsLibrary::create();
    }
    void TearDown() override {
        AssetsLibraryTestSeam::resetForTesting();
        AssetsLibraryTestSeam::drainForTesting();
    }

    // A small PNG with distinct pixels, so every asset is a real image.
    static NSDataRef pngOf(std::uint8_t seed, std::uint32_t width = 6, std::uint32_t height = 4) {
        imageio::CGImage image;
        image.width = width;
        image.height = height;
        image.format = imageio::PixelFormat::RGB8;
        image.pixels.resize(std::size_t{width} * height * 3);
        for (std::size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = static_cast<std::uint8_t>(seed + i * 7);
        return imageio::encodePNG(image);
    }

    // Writes a picture to the saved-photos group; its asset URL.
    NSURLRef writeAsset(std::uint8_t seed = 1) {
        std::promise<NSURLRef> written;
        library->writeImageDataToSavedPhotosAlbum(pngOf(seed), NSDictionary{},
                                                  [&](NSURLRef url, NSErrorRef) { written.set_value(url); });
        auto future = written.get_future();
        EXPECT_EQ(future.wait_for(std::chrono::seconds(20)), std::future_status::ready);
        return future.get();
    }

    ALAssetsGroupRef createAlbum(const std::string& name) {
        std::promise<ALAssetsGroupRef> created;
        library->addAssetsGroupAlbumWithName(
            name, [&](ALAssetsGroupRef group) { created.set_value(group); },
            [&](NSErrorRef) { created.set_value(nullptr); });
        auto future = created.get_future();
        EXPECT_EQ(future.wait_for(std::chrono::seconds(20)), std::future_status::ready);
        return future.get();
    }

    // Every group of every kind, in the library's order.
    std::vector<GroupInfo> groups() {
        std::promise<void> done;
        std::vector<GroupInfo> found;
        library->enumerateGroupsWithTypes(
            assets::ALAssetsGroupAll,
            [&](ALAssetsGroupRef group, bool*) {
                if (!group) return done.set_value();
                GroupInfo info;
                info.name = *group->valueForProperty(assets::ALAssetsGroupPropertyName)->string();
                info.type = group->valueForProperty(assets::ALAssetsGroupPropertyType)->integer().value_or(0);
                info.assets = group->numberOfAssets();
                info.group = group;
                found.push_back(std::move(info));
            },
            [&](NSErrorRef) { done.set_value(); });
        done.get_future().wait_for(std::chrono::seconds(20));
        return found;
    }

    std::vector<GroupInfo> albumsNamed(const std::string& name) {
        std::vector<GroupInfo> matching;
        for (auto& info : groups())
            if (info.name == name && info.type == assets::ALAssetsGroupAlbum) matching.push_back(info);
        return matching;
    }

    // The asset URLs of a group, in its order.
    static std::vector<std::string> assetURLsOf(const ALAssetsGroupRef& group) {
        std::vector<std::string> urls;
        group->enumerateAssetsUsingBlock([&](assets::ALAssetRef asset, std::uint64_t, bool*) {
            if (asset) urls.push_back(asset->assetURL()->absoluteString());
        });
        return urls;
    }

    std::shared_ptr<assets::ALAssetsLibrary> library;
};

}  // namespace albumtest
