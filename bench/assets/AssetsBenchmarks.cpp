// The photo library's costs that the album saver pays on every save:
//
// - Putting an existing asset into a named album, the way the album saver
//   does it (enumerate the user albums, match the name, look the asset up by
//   URL, add it), in a library with 1 album and with 1,000 albums. Finding
//   the album must stay cheap next to the add itself.
// - A durable write of a photo of about 2 MB (decode check, temporary file,
//   flush, rename, index commit).
// - Opening a library of 1,000 photos whose index was lost, which rebuilds
//   the index from the media files, next to opening it with its index.
//
// The libraries live in a folder below the system's temporary folder, on a
// real disk, so that the flushes cost what they cost.
#include "bench/support/BenchDeviceRoot.h"
#include "platform/assets/AssetRecords.h"
#include "platform/assets/AssetsLibrary.h"
#include "platform/assets/PhotoStore.h"
#include "platform/assets/StoreLayout.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/imageio/ImageCodecs.h"
#include "tools/SampleJpegWriter.h"
#include "tools/SyntheticPhoto.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace assets;

constexpr const char* kTargetAlbum = "WhatsApp";
constexpr int kAssetsToCycle = 64;

// A library holding `albums` user albums (the target album made last, so an
// enumeration walks past every other one first) and a few photos to add.
struct AlbumLibrary {
    std::shared_ptr<PhotoStore> store;
    std::int64_t targetGroupId = 0;
    std::vector<AssetRecord> photos;
};

AlbumLibrary& libraryWithAlbums(int albums) {
    static std::map<int, AlbumLibrary> made;
    auto [it, fresh] = made.try_emplace(albums);
    if (!fresh) return it->second;
    fs::path root = benchsupport::separateDeviceRoot("albums-" + std::to_string(albums));
    AlbumLibrary& library = it->second;
    library.store = PhotoStore::shared(root);
    for (int i = 1; i < albums; ++i) (void)library.store->createGroup("Album " + std::to_string(i), ALAssetsGroupAlbum);
    library.targetGroupId = library.store->createGroup(kTargetAlbum, ALAssetsGroupAlbum)->id;
    auto png = imageio::encodePNG(sampleimages::makePhotoLikeImage(64, 48, imageio::PixelFormat::RGB8));
    for (int i = 0; i < kAssetsToCycle; ++i)
        library.photos.push_back(library.store->addPhoto({*png, "PNG", 0, {}}).value());
    return library;
}

// The album saver's path from an asset URL to "added".
bool addToNamedAlbum(ALAssetsLibrary& library, const NSURLRef& assetURL) {
    auto added = std::make_shared<std::promise<bool>>();
    library.enumerateGroupsWithTypes(
        ALAssetsGroupAlbum,
        [&library, assetURL, added, found = std::make_shared<bool>(false)](ALAssetsGroupRef group, bool* stop) {
            if (!group) {
                if (!*found) added->set_value(false);
                return;
            }
            auto name = group->valueForProperty(ALAssetsGroupPropertyName);
            if (!name || *name->string() != kTargetAlbum) return;
            *found = true;
            *stop = true;
            library.assetForURL(
                assetURL, [group, added](ALAssetRef asset) { added->set_value(group->addAsset(asset)); },
                [added](NSErrorRef) { added->set_value(false); });
        },
        [added](NSErrorRef) { added->set_value(false); });
    return added->get_future().get();
}

void BM_AddExistingAssetToNamedAlbum(benchmark::State& state) {
    AlbumLibrary& albumLibrary = libraryWithAlbums(static_cast<int>(state.range(0)));
    auto library = ALAssetsLibrary::createForDeviceRoot(albumLibrary.store->deviceRoot());
    std::vector<NSURLRef> urls;
    for (const auto& photo : albumLibrary.photos)
        urls.push_back(ALAsset::create(albumLibrary.store, std::make_shared<const AssetRecord>(photo))->assetURL());
    std::size_t next = 0;
    for (auto _ : state) {
        if (next == urls.size()) {
            // Every photo is in the album now: take them out again, untimed,
            // so that each timed add is a real insert.
            state.PauseTiming();
            for (const auto& photo : albumLibrary.photos)
                (void)albumLibrary.store->removeAssetFromGroup(photo.id, albumLibrary.targetGroupId);
            next = 0;
            state.ResumeTiming();
        }
        if (!addToNamedAlbum(*library, urls[next++])) state.SkipWithError("the add failed");
    }
    state.counters["albums"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_AddExistingAssetToNamedAlbum)->Arg(1)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The enumeration alone, with a block that reads every group's name as the
// album saver's does: what the album count adds to the path above.
void BM_EnumerateAlbumsReadingNames(benchmark::State& state) {
    AlbumLibrary& albumLibrary = libraryWithAlbums(static_cast<int>(state.range(0)));
    auto library = ALAssetsLibrary::createForDeviceRoot(albumLibrary.store->deviceRoot());
    for (auto _ : state) {
        std::promise<std::size_t> done;
        library->enumerateGroupsWithTypes(
            ALAssetsGroupAlbum,
            [&done, matches = std::size_t{0}](ALAssetsGroupRef group, bool*) mutable {
                if (!group) return done.set_value(matches);
                auto name = group->valueForProperty(ALAssetsGroupPropertyName);
                if (name && *name->string() == kTargetAlbum) ++matches;
            },
            nullptr);
        benchmark::DoNotOptimize(done.get_future().get());
    }
}
BENCHMARK(BM_EnumerateAlbumsReadingNames)->Arg(1)->Arg(1000)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_WriteTwoMegabytePng(benchmark::State& state) {
    auto library = ALAssetsLibrary::createForDeviceRoot(benchsupport::separateDeviceRoot("writes"));
    static const auto png = imageio::encodePNG(
        sampleimages::makePhotoLikeImage(1280, 1120, imageio::PixelFormat::RGB8, 3));
    for (auto _ : state) {
        std::promise<bool> written;
        library->writeImageDataToSavedPhotosAlbum(
            png, std::nullopt, [&written](NSURLRef url, NSErrorRef) { written.set_value(url != nullptr); });
        if (!written.get_future().get()) state.SkipWithError("the write failed");
    }
    state.counters["bytes"] = static_cast<double>(png->size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * png->size()));
}
BENCHMARK(BM_WriteTwoMegabytePng)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// A device root holding 1,000 camera photos of 1600x1200 (hard links to one
// JPEG, so the disk holds it once) and nothing else.
const fs::path& thousandPhotoLibrary() {
    static const fs::path* root = [] {
        auto* made = new fs::path(benchsupport::separateDeviceRoot("rebuild"));
        fs::path original = *made / "original.jpg";
        fs::create_directories(*made);
        auto jpeg = sampleimages::encodeJpeg(
            sampleimages::makePhotoLikeImage(1600, 1200, imageio::PixelFormat::RGB8, 5), 90);
        std::ofstream(original, std::ios::binary)
            .write(reinterpret_cast<const char*>(jpeg.data()), static_cast<std::streamsize>(jpeg.size()));
        for (int number = 1; number <= 1000; ++number) {
            fs::path file = hostPathIn(*made, mediaDevicePath(number, "JPG"));
            fs::create_directories(file.parent_path());
            fs::create_hard_link(original, file);
        }
        return made;
    }();
    return *root;
}

void removeIndex(const fs::path& root) {
    for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(hostPathIn(root, kDatabaseDevicePath).string() + suffix);
}

// state.range(0): 1 when the index is lost before each open, 0 when it is kept.
void BM_OpenLibraryOfThousandPhotos(benchmark::State& state) {
    const fs::path& root = thousandPhotoLibrary();
    bool rebuild = state.range(0) == 1;
    removeIndex(root);
    if (!PhotoStore::open(root)->prepare().ok()) state.SkipWithError("the first open failed");
    for (auto _ : state) {
        if (rebuild) {
            state.PauseTiming();
            removeIndex(root);
            state.ResumeTiming();
        }
        auto store = PhotoStore::open(root);
        if (!store->prepare().ok() || store->numberOfAssets(1).value() != 1000) state.SkipWithError("not rebuilt");
    }
}
BENCHMARK(BM_OpenLibraryOfThousandPhotos)
    ->ArgName("rebuild")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
