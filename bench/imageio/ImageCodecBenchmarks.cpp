// Image codec benchmarks. Inputs are made here from a seed (or read from the
// rendered settings pages in docs/pages), so anyone can rerun them and get the
// same pixels:
//   camera: clouds, shapes, a caption and Gaussian sensor noise, through JPEG
//           at quality 85, as a messaging app passes a camera photo on;
//   alpha:  the same photo with a soft vignette and a rounded cut-out as alpha;
//   smooth: gradients and shapes with light grain, through JPEG at quality 80,
//           where little noise survives;
//   grain:  the same picture before the JPEG, grain as a camera writes it;
//   page:   the rendered root settings page, a drawn picture.
//
//   snapfold_imageio_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//
// Encoding is timed in wall-clock time (the band coders use two threads on a
// two-core machine); the process's CPU time is reported beside it. Counters:
// `bytes` is the encoded size; `vs_libpng` that size over libpng's
// default-settings output for the same pixels, which BM_LibpngDefaultEncode
// times.
#include "bench/imageio/ReferenceCodecs.h"
#include "platform/imageio/ImageCodecs.h"
#include "platform/imageio/PngEncoder.h"
#include "platform/uikit/UIImage.h"
#include "tools/CameraPhoto.h"
#include "tools/SampleJpegWriter.h"
#include "tools/SyntheticPhoto.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>

namespace {

using imageio::CGImage;
using imageio::PixelFormat;

enum Picture { kCamera, kCamera12MP, kCameraAlpha, kSmooth, kGrain, kPage };

CGImage throughJpeg(const CGImage& image, int quality) {
    return *imageio::decodeImage(sampleimages::encodeJpeg(image, quality))->image;
}

CGImage renderedPage() {
    std::ifstream file(SNAPFOLD_SOURCE_DIR "/docs/pages/root.png", std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), {});
    auto decoded = imageio::decodeImage(bytes);
    if (!decoded) throw std::runtime_error("docs/pages/root.png is missing or unreadable");
    return std::move(*decoded->image);
}

CGImage makePicture(Picture which) {
    switch (which) {
    case kCamera: return throughJpeg(sampleimages::makeCameraPhoto(1600, 1200, PixelFormat::RGB8), 85);
    case kCamera12MP: return throughJpeg(sampleimages::makeCameraPhoto(4032, 3024, PixelFormat::RGB8), 85);
    case kCameraAlpha: {
        CGImage withAlpha = sampleimages::makeCameraPhoto(1600, 1200, PixelFormat::RGBA8);
        CGImage color = throughJpeg(withAlpha, 85);
        for (std::size_t i = 0, n = std::size_t{color.width} * color.height; i < n; ++i)
            std::copy_n(&color.pixels[i * 3], 3, &withAlpha.pixels[i * 4]);
        return withAlpha;
    }
    case kSmooth: return throughJpeg(sampleimages::makePhotoLikeImage(1600, 1200, PixelFormat::RGB8, 2024), 80);
    case kGrain: return sampleimages::makePhotoLikeImage(1600, 1200, PixelFormat::RGB8, 2024);
    case kPage: return renderedPage();
    }
    return {};
}

const CGImage& picture(Picture which) {
    static std::map<Picture, CGImage> cache;
    auto it = cache.find(which);
    if (it == cache.end()) it = cache.emplace(which, makePicture(which)).first;
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

// What a save pays: orientation applied, then the settings chosen for the
// picture and the encoding. `kind` is the kind the encoder took it for.
void BM_UIImagePNGRepresentation(benchmark::State& state) {
    const CGImage& bitmap = picture(static_cast<Picture>(state.range(0)));
    auto orientation = static_cast<uikit::UIImageOrientation>(state.range(1));
    auto image = uikit::UIImage::imageWithCGImage(std::make_shared<const CGImage>(bitmap), 1.0, orientation);
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto png = uikit::UIImagePNGRepresentation(image.get());
        bytes = png->size();
        benchmark::DoNotOptimize(png);
    }
    reportSize(state, bytes, bitmap);
    state.counters["kind"] = static_cast<double>(imageio::choosePngEncoderSettings(bitmap).kind);
}
BENCHMARK(BM_UIImagePNGRepresentation)
    ->ArgNames({"picture", "orientation"})
    ->ArgsProduct({{kCamera, kCamera12MP, kCameraAlpha, kSmooth, kGrain, kPage}, {uikit::UIImageOrientationUp}})
    ->Args({kCamera, uikit::UIImageOrientationRight})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

void BM_LibpngDefaultEncode(benchmark::State& state) {
    const CGImage& image = picture(static_cast<Picture>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto png = bench::encodeWithLibpngDefaults(image);
        bytes = png.size();
        benchmark::DoNotOptimize(png);
    }
    reportSize(state, bytes, image);
}
BENCHMARK(BM_LibpngDefaultEncode)
    ->ArgNames({"picture"})
    ->DenseRange(kCamera, kPage)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

// The settings encodePNG could use, side by side: picture, row filter,
// compressor (0 ISA-L, 1 zlib run-length, 2 libdeflate), level and threads.
void BM_EncodePNGSettings(benchmark::State& state) {
    const CGImage& image = picture(static_cast<Picture>(state.range(0)));
    imageio::PngEncoderSettings settings{static_cast<imageio::PngRowFilter>(state.range(1)),
                                         static_cast<imageio::PngCompressor>(state.range(2)),
                                         static_cast<int>(state.range(3)), static_cast<unsigned>(state.range(4))};
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto png = imageio::encodePNG(image, settings);
        bytes = png->size();
        benchmark::DoNotOptimize(png);
    }
    reportSize(state, bytes, image);
}
constexpr int kIsal = static_cast<int>(imageio::PngCompressor::Isal);
constexpr int kZlibRunLength = static_cast<int>(imageio::PngCompressor::ZlibRunLength);
constexpr int kLibdeflate = static_cast<int>(imageio::PngCompressor::Libdeflate);
constexpr int kUp = static_cast<int>(imageio::PngRowFilter::Up);
constexpr int kPaeth = static_cast<int>(imageio::PngRowFilter::Paeth);
constexpr int kAdaptive = static_cast<int>(imageio::PngRowFilter::Adaptive);
BENCHMARK(BM_EncodePNGSettings)
    ->ArgNames({"picture", "filter", "compressor", "level", "threads"})
    ->ArgsProduct({{kCamera, kCameraAlpha, kSmooth, kGrain, kPage}, {kUp, kAdaptive}, {kIsal}, {2, 3}, {0}})
    ->ArgsProduct({{kCamera, kCameraAlpha, kSmooth, kGrain, kPage}, {kUp, kAdaptive}, {kLibdeflate}, {1, 4, 6}, {1}})
    ->ArgsProduct({{kCamera, kCameraAlpha, kSmooth, kGrain, kPage}, {kPaeth, kAdaptive}, {kZlibRunLength}, {0}, {0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

// ---- JPEG decoding ----------------------------------------------------------

const std::vector<std::uint8_t>& photoJpeg() {
    static const auto jpeg = sampleimages::encodeJpeg(picture(kGrain), 90, 1);
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
    auto image = std::make_shared<const CGImage>(picture(kCamera12MP));
    for (auto _ : state) {
        auto scaled = imageio::scaledToFit(image, static_cast<std::uint32_t>(state.range(0)));
        benchmark::DoNotOptimize(scaled);
    }
}
BENCHMARK(BM_ScaledToFit)->Arg(1920)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
