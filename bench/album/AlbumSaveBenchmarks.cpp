// The album saver's own figures: `saveImage:toAlbum:completion:failure:` of a
// decoded photo into an album that already exists, from the call to the
// completion callback, for a 1600x1200 photo and a 12-megapixel one. The
// 12-megapixel run also reports the save's peak memory beside the bitmap's
// size: the process's resident high-water mark is reset before each save and
// read after it (Linux's clear_refs), less what was resident before, with
// the allocator's free memory handed back to the system first.
//
// And the cost of scale: the same save of a small photo (so that the
// library's own work is most of it) into a library of 1 album and 64 assets
// and into one of 1,000 albums and 50,000 assets. The large library is filled
// straight through SQLite, each asset with a real file (a hard link to one
// small PNG), since 50,000 durable writes would take minutes.
#include "album/ALAssetsLibrary+CustomPhotoAlbum.h"
#include "bench/support/BenchDeviceRoot.h"
#include "platform/assets/AssetURL.h"
#include "platform/assets/AssetsLibrary.h"
#include "platform/assets/PhotoStore.h"
#include "platform/assets/StoreLayout.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/imageio/ImageCodecs.h"
#include "platform/uikit/UIImage.h"
#include "tools/CameraPhoto.h"
#include "tools/SampleJpegWriter.h"
#include "tools/SyntheticPhoto.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <malloc.h>
#include <map>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr const char* kAlbum = "WhatsApp";

// The benchmark's own device root, with the album saver attached.
void prepareDevice() {
    static bool prepared = [] {
        benchsupport::benchDeviceRoot();
        CustomPhotoAlbum::attachCategory();
        return true;
    }();
    (void)prepared;
}

// Saves (into the photo library of `deviceRoot`, the process's own by
// default) and waits for the outcome; false on the failure callback.
bool saveAndWait(const uikit::UIImageRef& image, const fs::path& deviceRoot = {}) {
    auto library = deviceRoot.empty() ? assets::ALAssetsLibrary::create()
                                      : assets::ALAssetsLibrary::createForDeviceRoot(deviceRoot);
    auto outcome = std::make_shared<std::promise<bool>>();
    CustomPhotoAlbum::saveImage(
        library, image, kAlbum, [outcome](foundation::NSURLRef, foundation::NSErrorRef) { outcome->set_value(true); },
        [outcome](foundation::NSErrorRef) { outcome->set_value(false); });
    return outcome->get_future().get();
}

// A camera photo as the messaging app receives it: through JPEG.
uikit::UIImageRef photo(std::uint32_t width, std::uint32_t height) {
    auto jpeg = sampleimages::encodeJpeg(sampleimages::makeCameraPhoto(width, height, imageio::PixelFormat::RGB8), 85);
    auto bitmap = imageio::decodeImage(jpeg)->image;
    return uikit::UIImage::imageWithCGImage(bitmap, 1.0, uikit::UIImageOrientationUp);
}

// Kilobytes from a "Name:   123 kB" line of /proc/self/status.
long statusKilobytes(const char* name) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(name))
            return std::strtol(line.c_str() + std::char_traits<char>::length(name), nullptr, 10);
    }
    return -1;
}

bool resetPeakResident() {
    std::ofstream clearRefs("/proc/self/clear_refs");
    clearRefs << "5";
    return static_cast<bool>(clearRefs.flush());
}

void BM_SaveImageToExistingAlbum(benchmark::State& state) {
    prepareDevice();
    auto image = photo(static_cast<std::uint32_t>(state.range(0)), static_cast<std::uint32_t>(state.range(1)));
    if (!saveAndWait(image)) state.SkipWithError("the first save, which makes the album, failed");
    double bitmapBytes = static_cast<double>(image->CGImage()->pixels.size());
    double worstPeakRatio = 0;
    for (auto _ : state) {
        state.PauseTiming();
        assets::ALAssetsLibrary::waitForPendingOperations();
        // Memory freed by earlier saves goes back first, or a save reusing it
        // would seem to cost nothing.
        ::malloc_trim(0);
        long residentBefore = statusKilobytes("VmRSS:");
        bool peakKnown = resetPeakResident();
        state.ResumeTiming();

        if (!saveAndWait(image)) state.SkipWithError("a save failed");

        state.PauseTiming();
        long peak = statusKilobytes("VmHWM:");
        if (peakKnown && peak >= residentBefore && residentBefore >= 0)
            worstPeakRatio = std::max(worstPeakRatio,
                                      static_cast<double>(peak - residentBefore) * 1024.0 / bitmapBytes);
        state.ResumeTiming();
    }
    state.counters["bitmap_MB"] = bitmapBytes / 1e6;
    // The most the resident set grew during one save, in bitmaps.
    state.counters["peak_over_bitmap"] = worstPeakRatio;
}
BENCHMARK(BM_SaveImageToExistingAlbum)
    ->Args({1600, 1200})
    ->Args({4032, 3024})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// A library at `deviceRoot` with `albums` user albums (the target album last,
// so that a search walks past every other one) and `assets` photos, all in
// the saved-photos group and spread over the albums.
void fillLibrary(const fs::path& deviceRoot, int albums, int assets) {
    auto store = assets::PhotoStore::open(deviceRoot);
    if (!store->prepare().ok()) {
        std::fprintf(stderr, "filling the library: cannot prepare it\n");
        std::abort();
    }
    for (int i = 1; i < albums; ++i) (void)store->createGroup("Album " + std::to_string(i), assets::ALAssetsGroupAlbum);
    if (!store->createGroup(kAlbum, assets::ALAssetsGroupAlbum).ok()) {
        std::fprintf(stderr, "filling the library: cannot make the album\n");
        std::abort();
    }

    auto png = imageio::encodePNG(sampleimages::makePhotoLikeImage(32, 24, imageio::PixelFormat::RGB8, 3));
    fs::path model = deviceRoot / "model.png";
    std::ofstream(model, std::ios::binary)
        .write(reinterpret_cast<const char*>(png->data()), static_cast<std::streamsize>(png->size()));
    sqlite3* db = nullptr;
    if (sqlite3_open(assets::hostPathIn(deviceRoot, assets::kDatabaseDevicePath).c_str(), &db) != SQLITE_OK)
        std::abort();
    auto fail = [db](const char* doing) {
        std::fprintf(stderr, "filling the library: %s: %s\n", doing, sqlite3_errmsg(db));
        std::abort();
    };
    auto run = [&](const std::string& sql) {
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) fail(sql.c_str());
    };
    run("BEGIN IMMEDIATE");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO assets (uuid, kind, file_path, extension, orientation, created, byte_size) "
                       "VALUES (?, 0, ?, 'PNG', 0, 0, ?)",
                       -1, &insert, nullptr);
    for (int number = 1; number <= assets; ++number) {
        std::string path = assets::mediaDevicePath(number, "PNG");
        fs::path host = assets::hostPathIn(deviceRoot, path);
        fs::create_directories(host.parent_path());
        fs::create_hard_link(model, host);
        std::string uuid = assets::makeUUID();
        sqlite3_bind_text(insert, 1, uuid.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, path.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, 3, static_cast<sqlite3_int64>(png->size()));
        if (sqlite3_step(insert) != SQLITE_DONE) fail("insert an asset");
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    run("INSERT INTO memberships (group_id, asset_id, position) "
        "SELECT (SELECT id FROM groups WHERE type = 16), id, id FROM assets");
    run("WITH albums AS (SELECT id, ROW_NUMBER() OVER (ORDER BY id) - 1 AS n FROM groups WHERE type = 2) "
        "INSERT INTO memberships (group_id, asset_id, position) "
        "SELECT albums.id, a.id, a.id FROM assets a JOIN albums ON albums.n = a.id % " +
        std::to_string(albums));
    run("UPDATE counters SET value = " + std::to_string(assets + 1) + " WHERE name = 'next_file_number'");
    run("COMMIT");
    sqlite3_close(db);
    fs::remove(model);
}

void BM_SaveSmallPhotoIntoLibraryOfSize(benchmark::State& state) {
    prepareDevice();
    int albums = static_cast<int>(state.range(0)), assetCount = static_cast<int>(state.range(1));
    static std::map<std::pair<int, int>, fs::path> libraries;
    auto& root = libraries[{albums, assetCount}];
    if (root.empty()) {
        root = benchsupport::separateDeviceRoot("library-" + std::to_string(albums) + "-" + std::to_string(assetCount));
        fillLibrary(root, albums, assetCount);
    }
    auto image = photo(160, 120);
    for (auto _ : state) {
        if (!saveAndWait(image, root)) state.SkipWithError("a save failed");
    }
    assets::ALAssetsLibrary::waitForPendingOperations();
    state.counters["albums"] = albums;
    state.counters["assets"] = assetCount;
}
BENCHMARK(BM_SaveSmallPhotoIntoLibraryOfSize)
    ->Args({1, 64})
    ->Args({1000, 50'000})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
