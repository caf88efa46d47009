// Which settings suit a picture. Measured on the pictures the benchmarks and
// tests make, each against libpng's default output (zlib level 6, adaptive
// filters):
//   - photos as messaging apps pass them on (JPEG, with sensor noise), from
//     1024x768 up: the Up filter and ISA-L at level 3, banded on two threads,
//     come out 1-3 % below libpng's size in a fraction of its time; at
//     640x480 and below they come out up to 3 % above it;
//   - noisy photos with alpha: ISA-L is 3-4 % above libpng's size whatever
//     the filter; libdeflate at level 1 with Up is 2 % below it, in about
//     twice ISA-L's time;
//   - photos where little noise survived the JPEG, and smaller photos: ISA-L
//     is 4-30 % above libpng's size; libdeflate at level 5 with Up is below
//     it, or else zlib's run-length strategy;
//   - grain straight from a camera: no search finds repeats worth their
//     bits; zlib's run-length strategy after adaptive filtering is the
//     smallest, 1 % below libpng's size, and runs banded;
//   - drawn pictures (the settings pages, screenshots, icons): no filter at
//     all and libdeflate at level 6, which finds the repeated glyphs and flat
//     runs as they are (a filter turns them into new strings) and ends its
//     search early on them: 0.78-0.97x libpng's size.
// The trial compresses a few bands of rows spread over the picture. ISA-L
// keeps up with a general search (libdeflate at level 1) only on noisy
// photos, which is where it is below libpng's size; elsewhere the trial
// weighs the two slower candidates on the sample itself.
#include "platform/foundation/Concurrently.h"
#include "platform/imageio/PngDeflate.h"
#include "platform/imageio/PngEncoder.h"
#include "platform/imageio/PngRowFiltering.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace imageio {

namespace {

constexpr PngEncoderSettings kDrawnSettings{PngRowFilter::None, PngCompressor::Libdeflate, 6};
constexpr PngEncoderSettings kNoisyPhotoSettings{PngRowFilter::Up, PngCompressor::Isal, 3};
constexpr PngEncoderSettings kSmoothPhotoSettings{PngRowFilter::Up, PngCompressor::Libdeflate, 5};
constexpr PngEncoderSettings kNoisyAlphaPhotoSettings{PngRowFilter::Up, PngCompressor::Libdeflate, 1};
constexpr PngEncoderSettings kGrainSettings{PngRowFilter::Adaptive, PngCompressor::ZlibRunLength, 0};

// Drawn pictures compress to a few percent; photos to a fifth or more.
constexpr double kDrawnRatio = 0.12;
// How far ISA-L may fall behind the general search on the sample: noisy
// photos measure 1.5-3 % (6-8 % with alpha), smooth ones 8-30 %.
constexpr double kNoisyPhotoLead = 1.04, kNoisyAlphaPhotoLead = 1.12;
// Below this many filtered bytes ISA-L's lead over libpng is gone.
constexpr std::size_t kLargePictureBytes = 2 << 20;

// The rows the trial compresses, copied out once: three bands of eight rows
// spread over the picture (all of a short picture), each after the row above
// it (zeros above the first row) so that it is filtered as in the picture.
// Rows are cut to a window from their middle as wide as a 1600-pixel RGB row:
// a 12 MP photo then costs no more to try than a 2 MP one, and the kinds'
// bounds hold for every width.
struct TrialSample {
    CGImage window;
    std::uint32_t bands = 1, bandRows = 0;
};

TrialSample takeTrialSample(const CGImage& image) {
    constexpr std::uint32_t kBands = 3, kBandRows = 8;
    constexpr std::size_t kWindowBytes = 4800;
    TrialSample sample;
    sample.bands = image.height <= kBands * kBandRows ? 1 : kBands;
    sample.bandRows = sample.bands == 1 ? image.height : kBandRows;
    std::size_t channels = image.channels();
    auto width = static_cast<std::uint32_t>(
        std::min<std::size_t>(image.width, std::max<std::size_t>(1, kWindowBytes / channels)));
    std::size_t left = (image.width - width) / 2 * channels, windowBytes = width * channels;
    sample.window = CGImage{width, sample.bands * (sample.bandRows + 1), image.format, {}};
    sample.window.pixels.resize(windowBytes * sample.window.height);
    std::uint8_t* to = sample.window.pixels.data();
    auto copyRow = [&](std::uint32_t y) {
        std::memcpy(to, image.pixels.data() + y * image.rowBytes() + left, windowBytes);
        to += windowBytes;
    };
    for (std::uint32_t band = 0; band < sample.bands; ++band) {
        std::uint32_t first = sample.bands == 1 ? 0
                                                : static_cast<std::uint32_t>(std::uint64_t{image.height - kBandRows} *
                                                                             band / (sample.bands - 1));
        if (first == 0) to += windowBytes;  // stays zero, as above the picture
        else copyRow(first - 1);
        for (std::uint32_t y = first; y < first + sample.bandRows; ++y) copyRow(y);
    }
    return sample;
}

std::vector<std::uint8_t> filterSample(const TrialSample& sample, PngRowFilter filter) {
    std::vector<std::uint8_t> filtered, band;
    for (std::uint32_t index = 0; index < sample.bands; ++index) {
        std::uint32_t above = index * (sample.bandRows + 1);
        detail::filterRowsInto(sample.window, filter, above + 1, above + 1 + sample.bandRows, band);
        filtered.insert(filtered.end(), band.begin(), band.end());
    }
    return filtered;
}

}  // namespace

PngEncoderChoice choosePngEncoderSettings(const CGImage& image) {
    const TrialSample sample = takeTrialSample(image);
    // Filtered once, before the lanes, which only read it.
    const std::vector<std::uint8_t> up = filterSample(sample, PngRowFilter::Up);
    std::size_t isal = 0, general = 0, runLength = 0;
    // Two lanes side by side, of about equal length. libdeflate and ISA-L run
    // on the calling thread, which keeps their state for the encoding that
    // follows; a helper thread starts with none.
    foundation::runConcurrently(2, [&](unsigned lane) {
        detail::CodedBytes coded;
        if (lane == 0) {
            general = detail::zlibCompressWithLibdeflate(up, 1).size();
            if (detail::deflateBand(PngCompressor::Isal, kNoisyPhotoSettings.level, {}, up, true, coded))
                isal = coded.size();
        } else {
            auto adaptive = filterSample(sample, PngRowFilter::Adaptive);
            if (detail::deflateBand(PngCompressor::ZlibRunLength, 0, {}, adaptive, true, coded))
                runLength = coded.size();
        }
    });
    // The largest of the candidates: the kinds' own coders do no worse.
    double share = 1.0;
    if (!up.empty() && isal > 0 && runLength > 0 && general > 0)
        share = static_cast<double>(std::max({isal, runLength, general})) / static_cast<double>(up.size());
    if (isal > 0 && static_cast<double>(isal) < kDrawnRatio * static_cast<double>(up.size()))
        return {PngPictureKind::Drawn, kDrawnSettings, share};
    if (isal == 0 || runLength == 0 || general == 0)
        return {PngPictureKind::SmoothPhoto, kSmoothPhotoSettings, share};
    bool large = (image.rowBytes() + 1) * image.height >= kLargePictureBytes;
    if (large && isal <= runLength && static_cast<double>(isal) <= kNoisyPhotoLead * static_cast<double>(general))
        return {PngPictureKind::NoisyPhoto, kNoisyPhotoSettings, share};
    bool hasAlpha = image.format == PixelFormat::RGBA8 || image.format == PixelFormat::GrayAlpha8;
    if (hasAlpha && isal <= runLength &&
        static_cast<double>(isal) <= kNoisyAlphaPhotoLead * static_cast<double>(general))
        return {PngPictureKind::NoisyAlphaPhoto, kNoisyAlphaPhotoSettings, share};
    std::size_t thorough = detail::zlibCompressWithLibdeflate(up, kSmoothPhotoSettings.level).size();
    if (thorough == 0 || runLength < thorough) return {PngPictureKind::Grain, kGrainSettings, share};
    return {PngPictureKind::SmoothPhoto, kSmoothPhotoSettings, share};
}

}  // namespace imageio
