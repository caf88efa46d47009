// Image codec benchmarks. Inputs are made here from a seed, so anyone can
// rerun them and get the same pixels. Two kinds of photo-like picture:
//   grainy: smooth gradients, hard-edged shapes and sensor-like grain, as a
//           camera writes them;
//   jpeg:   the same picture after a round trip through JPEG at quality 80,
//           as a messaging app passes pictures on.
//
//   snapfold_imageio_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//
// Encoding is timed in wall-clock time (the run-length coder uses two
// threads on a two-core machine); the process's CPU time is reported beside
// it. Counters: `bytes` is the encoded size; `vs_libpng` that size over
// libpng's default-settings output for the same pixels.
#include "bench/imageio/ReferenceCodecs.h"
#include "platform/imageio/ImageCodecs.h"
#include "platform/imageio/PngEncoder.h"
#include "platform/uikit/UIImage.h"
#include "tools/SampleJpegWriter.h"
#include "tools/SyntheticPhoto.h"

#include <benchmark/benchmark.h>

#include <map>
#include <tuple>

namespace {

using imageio::CGImage;
using imageio::PixelFormat;

enum Kind { kGrainy = 0, kJpeg = 1 };
constexpr int kJpegQuality = 80;

const CGImage& photo(std::uint32_t width, std::uint32_t height, Kind kind = kGrainy) {
    static std::map<std::tuple<std::uint32_t, std::uint32_t, Kind>, CGImage> cache;
    auto key = std::tuple{width, height, kind};
    auto it = cache.find(key);
    if (it == cache.end()) {
        CGImage grainy = sampleimages::makePhotoLikeImage(width, height, PixelFormat::RGB8, 2024);
        CGImage made = kind == kGrainy ? std::move(grainy)
                                       : *imageio::decodeImage(sampleimages::encodeJpeg(grainy, kJpegQuality))->image;
        it = cache.emplace(key, std::move(made)).first;
    }
    return it->second;
}

std::size_t libpngDefaultSize(const CGImage& image) {
    static std::map<const CGImage*, std::size_t> sizes;
    if (!sizes.contains(&image)) sizes[&image] = bench::encodeWithLibpngDefaults(image).size();
    return sizes[&image];
}

void reportSize(benchmark::State& state, std::size_t bytes, const CGImage& image) {
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["vs_libpng"] = static_cast<double>(bytes) / static_cast<double>(libpngDefaultSize(image));
}

// ---- PNG encoding -----------------------------------------------------------

void BM_UIImagePNGRepresentation(benchmark::State& state) {
    const CGImage& bitmap = photo(static_cast<std::uint32_t>(state.range(0)), static_cast<std::uint32_t>(state.range(1)),
                                  static_cast<Kind>(state.range(2)));
    auto orientation = static_cast<uikit::UIImageOrientation>(state.range(3));
    auto image = uikit::UIImage::imageWithCGImage(std::make_shared<const CGImage>(bitmap), 1.0, orientation);
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto png = uikit::UIImagePNGRepresentation(image.get());
        bytes = png->size();
        benchmark::DoNotOptimize(png);
    }
    reportSize(state, bytes, bitmap);
}
BENCHMARK(BM_UIImagePNGRepresentation)
    ->ArgNames({"w", "h", "jpeg", "orientation"})
    ->Args({1600, 1200, kGrainy, uikit::UIImageOrientationUp})
    ->Args({1600, 1200, kGrainy, uikit::UIImageOrientationRight})
    ->Args({1600, 1200, kJpeg, uikit::UIImageOrientationUp})
    ->Args({4032, 3024, kGrainy, uikit::UIImageOrientationUp})
    ->Args({4032, 3024, kJpeg, uikit::UIImageOrientationUp})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

void BM_LibpngDefaultEncode(benchmark::State& state) {
    const CGImage& image = photo(1600, 1200, static_cast<Kind>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto png = bench::encodeWithLibpngDefaults(image);
        bytes = png.size();
        benchmark::DoNotOptimize(png);
    }
    reportSize(state, bytes, image);
}
BENCHMARK(BM_LibpngDefaultEncode)
    ->ArgNames({"jpeg"})
    ->Arg(kGrainy)
    ->Arg(kJpeg)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

// The settings encodePNG could use, side by side on 1600x1200 photos: input
// kind, row filter, compressor (0 automatic, 1 run-length coder, 2 libdeflate),
// libdeflate level and coding threads.
void BM_EncodePNGSettings(benchmark::State& state) {
    const CGImage& image = photo(1600, 1200, static_cast<Kind>(state.range(0)));
    imageio::PngEncoderSettings settings{static_cast<imageio::PngRowFilter>(state.range(1)),
                                         static_cast<imageio::PngDeflater>(state.range(2)),
                                         static_cast<int>(state.range(3)), static_cast<unsigned>(state.range(4))};
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto png = imageio::encodePNG(image, settings);
        bytes = png->size();
        benchmark::DoNotOptimize(png);
    }
    reportSize(state, bytes, image);
}
constexpr int kRunLength = static_cast<int>(imageio::PngDeflater::RunLengthHuffman);
constexpr int kLibdeflate = static_cast<int>(imageio::PngDeflater::Libdeflate);
constexpr int kUp = static_cast<int>(imageio::PngRowFilter::Up);
constexpr int kAverage = static_cast<int>(imageio::PngRowFilter::Average);
constexpr int kPaeth = static_cast<int>(imageio::PngRowFilter::Paeth);
constexpr int kAdaptive = static_cast<int>(imageio::PngRowFilter::Adaptive);
BENCHMARK(BM_EncodePNGSettings)
    ->ArgNames({"jpeg", "filter", "deflater", "level", "threads"})
    ->ArgsProduct({{kGrainy, kJpeg}, {kUp, kAverage, kPaeth, kAdaptive}, {kRunLength}, {0}, {1}})
    ->ArgsProduct({{kGrainy, kJpeg}, {kAverage}, {kRunLength}, {0}, {2}})
    ->ArgsProduct({{kGrainy, kJpeg}, {kUp, kAdaptive}, {kLibdeflate}, {1, 3, 5, 6}, {1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

// ---- JPEG decoding ----------------------------------------------------------

const std::vector<std::uint8_t>& photoJpeg() {
    static const auto jpeg = sampleimages::encodeJpeg(photo(1600, 1200), 90, 1);
    return jpeg;
}

void BM_DecodeImageJpeg(benchmark::State& state) {
    const auto& jpeg = photoJpeg();
    for (auto _ : state) {
        auto decoded = imageio::decodeImage(jpeg);
        benchmark::DoNotOptimize(decoded);
    }
    state.counters["bytes"] = static_cast<double>(jpeg.size());
}
BENCHMARK(BM_DecodeImageJpeg)->Unit(benchmark::kMillisecond);

void BM_LibjpegTurboDecode(benchmark::State& state) {
    const auto& jpeg = photoJpeg();
    for (auto _ : state) {
        auto decoded = bench::decodeWithLibjpeg(jpeg);
        benchmark::DoNotOptimize(decoded.pixels.get());
    }
    state.counters["bytes"] = static_cast<double>(jpeg.size());
}
BENCHMARK(BM_LibjpegTurboDecode)->Unit(benchmark::kMillisecond);

// ---- Scaling ----------------------------------------------------------------

// A 12-megapixel photo to the photo library's full-screen size.
void BM_ScaledToFit(benchmark::State& state) {
    auto image = std::make_shared<const CGImage>(photo(4032, 3024));
    for (auto _ : state) {
        auto scaled = imageio::scaledToFit(image, static_cast<std::uint32_t>(state.range(0)));
        benchmark::DoNotOptimize(scaled);
    }
}
BENCHMARK(BM_ScaledToFit)->Arg(1920)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
