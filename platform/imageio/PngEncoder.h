// The PNG writer behind encodePNG, with its two knobs exposed so that the
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

// What compresses the filtered rows: our run-length and Huffman coder (see
// RunLengthDeflate.h), libdeflate's general encoder at a level, or a choice
// between the two made per picture from a trial on a few bands of rows.
enum class PngDeflater : std::uint8_t { Automatic, RunLengthHuffman, Libdeflate };

struct PngEncoderSettings {
    PngRowFilter filter = PngRowFilter::Adaptive;
    PngDeflater deflater = PngDeflater::Automatic;
    int libdeflateLevel = 6;  // 0 (stored) to 12, wherever libdeflate compresses
    // Threads that filter and code bands of rows for the run-length coder; 0
    // means one per processor, at most two. Images under 1 MiB use one.
    unsigned threads = 0;
};

// What encodePNG uses (see bench/imageio for the figures behind it).
inline constexpr PngEncoderSettings kPhotoPngEncoderSettings{};

// A standard, non-interlaced PNG (IHDR, one IDAT, IEND) of the bitmap. Nothing
// for an empty bitmap or one whose pixel buffer does not match its size.
foundation::NSDataRef encodePNG(const CGImage& image, const PngEncoderSettings& settings);

}  // namespace imageio
