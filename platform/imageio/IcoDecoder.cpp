// ICO: a directory of pictures of one icon at several sizes. The largest
// entry (the deepest colours among equals) is shown, as a viewer shows an
// icon file. Its payload is either a whole PNG, read by the PNG decoder, or a
// BMP without its file header, which is given one and read by the BMP
// decoder; below 32 bits per pixel a one-bit mask after the colours says
// which pixels are transparent.
#include "platform/imageio/BmpHeader.h"
#include "platform/imageio/Decoders.h"
#include "platform/imageio/PngFormat.h"

#include <algorithm>
#include <cstring>
#include <tuple>
#include <vector>

namespace imageio::detail {

namespace {

constexpr std::size_t kDirectoryBytes = 6;
constexpr std::size_t kEntryBytes = 16;
constexpr std::size_t kFileHeaderBytes = 14;

std::uint32_t readLE(std::span<const std::uint8_t> bytes, std::size_t at, unsigned width) {
    std::uint32_t value = 0;
    for (unsigned i = 0; i < width; ++i) value |= std::uint32_t{bytes[at + i]} << (8 * i);
    return value;
}

void writeLE(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
    for (unsigned i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

struct Entry {
    std::uint32_t area = 0;
    std::uint16_t bitsPerPixel = 0;
    std::span<const std::uint8_t> payload;
};

// The best entry whose payload lies wholly inside the file.
std::optional<Entry> bestEntry(std::span<const std::uint8_t> bytes) {
    std::size_t count = readLE(bytes, 4, 2);
    if (count == 0 || bytes.size() < kDirectoryBytes + count * kEntryBytes) return std::nullopt;
    std::optional<Entry> best;
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t at = kDirectoryBytes + i * kEntryBytes;
        // A side of 0 in the directory stands for 256.
        std::uint32_t width = bytes[at] ? bytes[at] : 256, height = bytes[at + 1] ? bytes[at + 1] : 256;
        std::uint64_t size = readLE(bytes, at + 8, 4), offset = readLE(bytes, at + 12, 4);
        if (size == 0 || offset > bytes.size() || size > bytes.size() - offset) continue;
        Entry entry{width * height, static_cast<std::uint16_t>(readLE(bytes, at + 6, 2)),
                    bytes.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(size))};
        if (!best || std::tie(entry.area, entry.bitsPerPixel) > std::tie(best->area, best->bitsPerPixel)) best = entry;
    }
    return best;
}

// Pixels whose mask bit is set become transparent. Mask rows run bottom to
// top, like the colour rows before them.
void applyTransparencyMask(CGImage& image, std::span<const std::uint8_t> mask) {
    if (image.format == PixelFormat::RGB8) {
        std::vector<std::uint8_t> rgba;
        rgba.reserve(std::size_t{image.width} * image.height * 4);
        for (std::size_t i = 0; i < image.pixels.size(); i += 3) {
            rgba.insert(rgba.end(), image.pixels.begin() + static_cast<std::ptrdiff_t>(i),
                        image.pixels.begin() + static_cast<std::ptrdiff_t>(i + 3));
            rgba.push_back(255);
        }
        image.pixels = std::move(rgba);
        image.format = PixelFormat::RGBA8;
    }
    std::size_t maskRowBytes = bmpRowBytes(image.width, 1);
    for (std::uint32_t y = 0; y < image.height; ++y) {
        const std::uint8_t* row = mask.data() + (image.height - 1 - y) * maskRowBytes;
        for (std::uint32_t x = 0; x < image.width; ++x) {
            if ((row[x / 8] >> (7 - x % 8)) & 1) image.pixels[(std::size_t{y} * image.width + x) * 4 + 3] = 0;
        }
    }
}

std::optional<CGImage> decodeIconBitmap(std::span<const std::uint8_t> dib) {
    // The DIB's height counts the colour rows and the mask rows.
    std::vector<std::uint8_t> file(kFileHeaderBytes + dib.size());
    file[0] = 'B';
    file[1] = 'M';
    std::memcpy(file.data() + kFileHeaderBytes, dib.data(), dib.size());
    writeLE(file, 2, static_cast<std::uint32_t>(file.size()));
    auto header = readBmpHeader(file);
    if (!header || header->infoBytes < 40 || header->height <= 0 || header->height % 2 != 0) return std::nullopt;
    std::uint32_t height = static_cast<std::uint32_t>(header->height) / 2;
    writeLE(file, kFileHeaderBytes + 8, height);

    std::uint32_t colorsUsed = readLE(file, kFileHeaderBytes + 32, 4);
    std::uint32_t paletteColors = colorsUsed ? colorsUsed : header->bitsPerPixel <= 8 ? 1u << header->bitsPerPixel : 0;
    if (paletteColors > 256) return std::nullopt;
    std::uint32_t masks = header->infoBytes == 40 && header->compression == 3 ? 12 : 0;
    std::uint64_t pixelOffset = kFileHeaderBytes + std::uint64_t{header->infoBytes} + masks + paletteColors * 4;
    writeLE(file, 10, static_cast<std::uint32_t>(pixelOffset));

    auto image = decodeBmp(file);
    if (!image || header->bitsPerPixel >= 32) return image;
    std::uint64_t maskOffset = pixelOffset + bmpRowBytes(image->width, header->bitsPerPixel) * image->height;
    std::uint64_t maskBytes = bmpRowBytes(image->width, 1) * image->height;
    if (maskOffset + maskBytes > file.size()) return std::nullopt;
    applyTransparencyMask(*image, std::span<const std::uint8_t>(file).subspan(maskOffset, maskBytes));
    return image;
}

}  // namespace

bool hasIcoSignature(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= kDirectoryBytes && readLE(bytes, 0, 2) == 0 && readLE(bytes, 2, 2) == 1 &&
           readLE(bytes, 4, 2) > 0;
}

std::optional<CGImage> decodeIco(std::span<const std::uint8_t> bytes) {
    if (!hasIcoSignature(bytes)) return std::nullopt;
    auto entry = bestEntry(bytes);
    if (!entry) return std::nullopt;
    if (detail::startsWithPngSignature(entry->payload)) return decodePng(entry->payload);
    return decodeIconBitmap(entry->payload);
}

}  // namespace imageio::detail
