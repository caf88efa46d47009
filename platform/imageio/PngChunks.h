// The header and the ancillary chunks of a PNG that its property dictionary
// reports, read straight from the chunk stream without decoding any pixels.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace imageio::detail {

struct PngPhysicalSize {
    std::uint32_t pixelsPerUnitX = 0;
    std::uint32_t pixelsPerUnitY = 0;
    bool unitIsMeter = false;  // otherwise only the aspect ratio is known
};

struct PngHeaderInfo {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint8_t bitDepth = 0;
    std::uint8_t colorType = 0;  // 0 gray, 2 RGB, 3 palette, 4 gray+alpha, 6 RGBA
    std::uint8_t interlaceMethod = 0;
    bool hasTransparencyChunk = false;
    std::optional<PngPhysicalSize> physicalSize;                 // pHYs
    std::optional<std::uint32_t> gammaTimes100000;               // gAMA
    std::optional<std::array<std::uint32_t, 8>> chromaticities;  // cHRM, each times 100000
    std::optional<std::uint8_t> srgbIntent;                      // sRGB
};

// Nothing when the data does not start with a PNG signature and a valid IHDR.
// Chunks after the first IDAT are not looked at: every chunk read here must
// come before the image data.
std::optional<PngHeaderInfo> readPngHeaderInfo(std::span<const std::uint8_t> bytes);

}  // namespace imageio::detail
