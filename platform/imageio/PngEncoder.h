// The PNG writer behind encodePNG, with its knobs exposed so that the
// benchmarks can weigh them against each other in one run.
#pragma once

#include "platform/foundation/NSData.h"
#include "platform/imageio/CGImage.h"

#include <cstdint>

namespace imageio {

// The per-row prediction written before compression. Adaptive picks, for each
// row, the filter whose output has the smallest sum of absolute values, as
// default-settings encoders do.
enum class PngRowFilter : std::uint8_t { None = 0, Sub = 1, Up = 2, Average = 3, Paeth = 4, Adaptive = 255 };

// What compresses the filtered rows. ISA-L and zlib's run-length strategy
// code bands of rows on several threads and join them into one stream;
// libdeflate codes the whole image in one call on one thread.
enum class PngCompressor : std::uint8_t { Isal, ZlibRunLength, Libdeflate };

struct PngEncoderSettings {
    PngRowFilter filter = PngRowFilter::Up;
    PngCompressor compressor = PngCompressor::Isal;
    int level = 3;  // ISA-L 0 to 3, libdeflate 0 to 12; the run-length strategy has none
    // Threads for the band coders; 0 means one per processor, at most two.
    // Images under a mebibyte use one.
    unsigned threads = 0;
};

// The kinds of picture the encoder tells apart, each with its own settings
// (see PngStrategy.cpp for the measurements behind them).
enum class PngPictureKind : std::uint8_t { Drawn, NoisyPhoto, NoisyAlphaPhoto, SmoothPhoto, Grain };

struct PngEncoderChoice {
    PngPictureKind kind;
    PngEncoderSettings settings;
    // The share of its filtered bytes the trial's sample coded to: what the
    // encoder expects of the whole picture when it sizes its output.
    double sampleCodedShare = 1.0;
};

// The settings encodePNG(image) uses for this picture, from a trial on a few
// bands of its rows.
PngEncoderChoice choosePngEncoderSettings(const CGImage& image);

// A standard, non-interlaced PNG (IHDR, one IDAT, IEND) of the bitmap. Nothing
// for an empty bitmap or one whose pixel buffer does not match its size.
foundation::NSDataRef encodePNG(const CGImage& image, const PngEncoderSettings& settings);

}  // namespace imageio
