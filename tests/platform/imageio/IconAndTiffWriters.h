// BMP and ICO files built byte by byte, and TIFF files written with libtiff:
// inputs for the decoders of the formats that `UIImage` reads besides the
// ones a messaging app sends.
#pragma once

#include "tests/platform/imageio/TestImages.h"

namespace testimages {

// An uncompressed BMP with a 40-byte header: 24 bits per pixel for RGB8, 32
// for RGBA8; rows bottom to top unless `topDown`.
Bytes writeBmp(const imageio::CGImage& image, bool topDown = false);
// The same through libtiff, as 8-bit strips (LZW): RGB, RGBA with straight
// alpha, or gray, with the given Orientation tag.
Bytes writeTiffWithLibtiff(const imageio::CGImage& image, int orientation = 1);

// An icon's bitmap: the BMP without its file header, the height doubled, and
// after the colours a one-bit mask whose set bits (`transparent(x, y)`) hide pixels.
Bytes iconBitmap(const imageio::CGImage& image, bool (*transparent)(std::uint32_t x, std::uint32_t y));
struct IcoEntry {
    Bytes payload;  // a PNG or an icon bitmap
    std::uint32_t width = 0, height = 0;
    std::uint16_t bitsPerPixel = 32;
};
Bytes writeIco(const std::vector<IcoEntry>& entries);

}  // namespace testimages
