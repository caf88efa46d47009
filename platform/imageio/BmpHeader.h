// The fields of a BMP file's headers that the BMP and ICO readers check
// before any pixel is decoded. An ICO entry's bitmap is a BMP without the
// 14-byte file header, whose height counts its transparency mask too.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace imageio::detail {

struct BmpHeader {
    std::uint32_t pixelOffset = 0;  // from the start of the file
    std::uint32_t infoBytes = 0;    // 12, 40, 56, 108 or 124: the only sizes in use
    std::int32_t width = 0;
    std::int32_t height = 0;  // negative: rows stored top to bottom
    std::uint16_t bitsPerPixel = 0;
    std::uint32_t compression = 0;
};

// Nothing for data that is no BMP file with a known header size.
std::optional<BmpHeader> readBmpHeader(std::span<const std::uint8_t> bytes);

// Rows of a BMP are padded to whole 32-bit words.
inline std::uint64_t bmpRowBytes(std::uint64_t width, std::uint64_t bitsPerPixel) {
    return (width * bitsPerPixel + 31) / 32 * 4;
}

}  // namespace imageio::detail
