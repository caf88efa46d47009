// BMP through stb_image. stb_image reads zeros past the end of its input and
// would try other formats on data that is no BMP, so the header is checked
// here first: the same header sizes stb_image knows, a pixel count within
// the limit, and, for uncompressed rows, every row present in the data.
#include "platform/imageio/BmpHeader.h"
#include "platform/imageio/Decoders.h"

#include <cstring>
#include <memory>

#include <stb_image.h>

namespace imageio::detail {

namespace {

std::uint32_t readLE(std::span<const std::uint8_t> bytes, std::size_t at, unsigned width) {
    std::uint32_t value = 0;
    for (unsigned i = 0; i < width; ++i) value |= std::uint32_t{bytes[at + i]} << (8 * i);
    return value;
}

constexpr std::uint32_t kUncompressed = 0;
constexpr std::uint32_t kBitFields = 3;

}  // namespace

std::optional<BmpHeader> readBmpHeader(std::span<const std::uint8_t> bytes) {
    constexpr std::size_t kFileHeaderBytes = 14;
    if (bytes.size() < kFileHeaderBytes + 12 || bytes[0] != 'B' || bytes[1] != 'M') return std::nullopt;
    BmpHeader header;
    header.pixelOffset = readLE(bytes, 10, 4);
    header.infoBytes = readLE(bytes, 14, 4);
    if (header.infoBytes == 12) {
        header.width = static_cast<std::int32_t>(readLE(bytes, 18, 2));
        header.height = static_cast<std::int32_t>(readLE(bytes, 20, 2));
        header.bitsPerPixel = static_cast<std::uint16_t>(readLE(bytes, 24, 2));
    } else if (header.infoBytes == 40 || header.infoBytes == 56 || header.infoBytes == 108 || header.infoBytes == 124) {
        if (bytes.size() < kFileHeaderBytes + 40) return std::nullopt;
        header.width = static_cast<std::int32_t>(readLE(bytes, 18, 4));
        header.height = static_cast<std::int32_t>(readLE(bytes, 22, 4));
        header.bitsPerPixel = static_cast<std::uint16_t>(readLE(bytes, 28, 2));
        header.compression = readLE(bytes, 30, 4);
    } else {
        return std::nullopt;
    }
    return header;
}

std::optional<CGImage> decodeBmp(std::span<const std::uint8_t> bytes) {
    auto header = readBmpHeader(bytes);
    if (!header || header->width <= 0 || header->height == 0 || header->height == INT32_MIN) return std::nullopt;
    std::uint64_t width = static_cast<std::uint64_t>(header->width);
    std::uint64_t height = static_cast<std::uint64_t>(header->height < 0 ? -std::int64_t{header->height}
                                                                         : std::int64_t{header->height});
    if (!acceptableDimensions(width, height)) return std::nullopt;
    if (header->compression == kUncompressed || header->compression == kBitFields) {
        std::uint64_t end = std::uint64_t{header->pixelOffset} + bmpRowBytes(width, header->bitsPerPixel) * height;
        if (end > bytes.size()) return std::nullopt;
    }

    int w = 0, h = 0, channels = 0;
    if (bytes.size() > static_cast<std::size_t>(INT32_MAX)) return std::nullopt;
    int length = static_cast<int>(bytes.size());
    std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> pixels(
        stbi_load_from_memory(bytes.data(), length, &w, &h, &channels, 0), &stbi_image_free);
    if (!pixels || w <= 0 || h <= 0 || static_cast<std::uint64_t>(w) != width ||
        static_cast<std::uint64_t>(h) != height || channels < 1 || channels > 4)
        return std::nullopt;

    CGImage image;
    image.width = static_cast<std::uint32_t>(w);
    image.height = static_cast<std::uint32_t>(h);
    constexpr PixelFormat kByChannels[] = {PixelFormat::Gray8, PixelFormat::GrayAlpha8, PixelFormat::RGB8,
                                           PixelFormat::RGBA8};
    image.format = kByChannels[channels - 1];
    image.pixels.assign(pixels.get(), pixels.get() + image.rowBytes() * image.height);
    return image;
}

}  // namespace imageio::detail
