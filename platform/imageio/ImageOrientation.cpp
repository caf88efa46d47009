#include "platform/imageio/ImageOrientation.h"

#include <algorithm>
#include <cstring>

namespace imageio {

namespace {

// Where the displayed pixel (x, y) comes from: the stored pixel at
// origin + x * alongRow + y * alongColumn, each a (column, row) step. The
// table follows the EXIF meaning of each value: which side of the picture the
// stored first row and first column show.
struct SourceWalk {
    std::int64_t originColumn, originRow;
    std::int64_t rowStepColumn, rowStepRow;        // per displayed pixel to the right
    std::int64_t columnStepColumn, columnStepRow;  // per displayed row downwards
};

SourceWalk walkFor(int orientation, std::int64_t width, std::int64_t height) {
    std::int64_t lastColumn = width - 1, lastRow = height - 1;
    switch (orientation) {
    case 2: return {lastColumn, 0, -1, 0, 0, 1};         // mirrored left to right
    case 3: return {lastColumn, lastRow, -1, 0, 0, -1};  // half turn
    case 4: return {0, lastRow, 1, 0, 0, -1};            // mirrored top to bottom
    case 5: return {0, 0, 0, 1, 1, 0};                   // first row shows the left side, first column the top
    case 6: return {0, lastRow, 0, -1, 1, 0};            // first row shows the right side, first column the top
    case 7: return {lastColumn, lastRow, 0, -1, -1, 0};  // first row right, first column bottom
    case 8: return {lastColumn, 0, 0, 1, -1, 0};         // first row left, first column bottom
    default: return {0, 0, 1, 0, 0, 1};
    }
}

// Copies in square tiles, so that the quarter turns, which read the source
// down its columns, stay within the cache.
template <std::size_t Channels>
void copyWalking(const CGImage& source, CGImage& destination, const SourceWalk& walk) {
    constexpr std::uint32_t kTile = 64;
    const std::int64_t sourceRowBytes = static_cast<std::int64_t>(source.rowBytes());
    const std::int64_t stepX = (walk.rowStepRow * sourceRowBytes + walk.rowStepColumn * std::int64_t{Channels});
    const std::int64_t stepY = (walk.columnStepRow * sourceRowBytes + walk.columnStepColumn * std::int64_t{Channels});
    const std::uint8_t* origin = source.pixels.data() + walk.originRow * sourceRowBytes +
                                 walk.originColumn * std::int64_t{Channels};
    for (std::uint32_t tileY = 0; tileY < destination.height; tileY += kTile) {
        std::uint32_t endY = std::min(destination.height, tileY + kTile);
        for (std::uint32_t tileX = 0; tileX < destination.width; tileX += kTile) {
            std::uint32_t endX = std::min(destination.width, tileX + kTile);
            for (std::uint32_t y = tileY; y < endY; ++y) {
                std::uint8_t* out = destination.pixels.data() + y * destination.rowBytes() + tileX * Channels;
                const std::uint8_t* in = origin + std::int64_t{y} * stepY + std::int64_t{tileX} * stepX;
                for (std::uint32_t x = tileX; x < endX; ++x, out += Channels, in += stepX)
                    std::memcpy(out, in, Channels);
            }
        }
    }
}

}  // namespace

CGImage drawnUpright(const CGImage& image, int exifOrientation) {
    if (exifOrientation < 2 || exifOrientation > 8 || image.pixels.size() != image.rowBytes() * image.height ||
        image.pixels.empty())
        return image;
    CGImage upright;
    upright.format = image.format;
    upright.width = swapsDimensions(exifOrientation) ? image.height : image.width;
    upright.height = swapsDimensions(exifOrientation) ? image.width : image.height;
    upright.pixels.resize(image.pixels.size());
    SourceWalk walk = walkFor(exifOrientation, image.width, image.height);
    switch (image.channels()) {
    case 1: copyWalking<1>(image, upright, walk); break;
    case 2: copyWalking<2>(image, upright, walk); break;
    case 3: copyWalking<3>(image, upright, walk); break;
    default: copyWalking<4>(image, upright, walk); break;
    }
    return upright;
}

CGImageRef drawnUpright(const CGImageRef& image, int exifOrientation) {
    if (!image || exifOrientation < 2 || exifOrientation > 8) return image;
    return std::make_shared<const CGImage>(drawnUpright(*image, exifOrientation));
}

}  // namespace imageio
