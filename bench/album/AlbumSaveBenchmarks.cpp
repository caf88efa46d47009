// The album saver's own figures: `saveImage:toAlbum:completion:failure:` of a
// decoded photo into an album that already exists, from the call to the
// completion callback, for a 1600x1200 photo and a 12-megapixel one. The
// 12-megapixel run also reports the save's peak memory beside the bitmap's
// size: the process's resident high-water mark is reset before each save and
// read after it (Linux's clear_refs), less what was resident before, with
// the allocator's free memory handed back to the system first.
#include "album/ALAssetsLibrary+CustomPhotoAlbum.h"
#include "platform/assets/AssetsLibrary.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/uikit/UIImage.h"
#include "tools/SyntheticPhoto.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <malloc.h>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr const char* kAlbum = "WhatsApp";

// A device root of the benchmark's own on the real disk, removed at exit.
void prepareDevice() {
    static bool prepared = [] {
        static std::string root = (fs::temp_directory_path() / "snapfold-album-bench-XXXXXX").string();
        if (!::mkdtemp(root.data())) std::abort();
        foundation::setDeviceRoot(root);
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(root, ignored);
        });
        CustomPhotoAlbum::attachCategory();
        return true;
    }();
    (void)prepared;
}

// Saves and waits for the outcome; false on the failure callback.
bool saveAndWait(const uikit::UIImageRef& image) {
    auto library = assets::ALAssetsLibrary::create();
    auto outcome = std::make_shared<std::promise<bool>>();
    CustomPhotoAlbum::saveImage(
        *library, image, kAlbum, [outcome](foundation::NSURLRef, foundation::NSErrorRef) { outcome->set_value(true); },
        [outcome](foundation::NSErrorRef) { outcome->set_value(false); });
    return outcome->get_future().get();
}

uikit::UIImageRef photo(std::uint32_t width, std::uint32_t height) {
    auto bitmap = std::make_shared<const imageio::CGImage>(
        sampleimages::makePhotoLikeImage(width, height, imageio::PixelFormat::RGB8, 11));
    return uikit::UIImage::imageWithCGImage(bitmap, 1.0, uikit::UIImageOrientationUp);
}

// Kilobytes from a "Name:   123 kB" line of /proc/self/status.
long statusKilobytes(const char* name) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(name)) return std::strtol(line.c_str() + std::char_traits<char>::length(name), nullptr, 10);
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
            worstPeakRatio = std::max(worstPeakRatio, static_cast<double>(peak - residentBefore) * 1024.0 / bitmapBytes);
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

}  // namespace

BENCHMARK_MAIN();
