// The per-format decoders behind decodeImage. Each answers a whole bitmap or
// nothing; none of them trusts the data it is given.
#pragma once

#include "platform/imageio/CGImage.h"

#include <cstdint>
#include <optional>
#include <span>

namespace imageio::detail {

// Larger images are refused before any pixel memory is taken, so a hostile
// header cannot make the process allocate gigabytes.
inline constexpr std::uint64_t kMaximumPixelCount = 100'000'000;

// libpng's own guard against absurd headers, set by the PNG decoder: a PNG
// wider or taller than this is refused whatever its pixel count.
inline constexpr std::uint32_t kMaximumPngSide = 1'000'000;

inline bool acceptableDimensions(std::uint64_t width, std::uint64_t height) {
    return width > 0 && height > 0 && width * height <= kMaximumPixelCount;
}

std::optional<CGImage> decodeJpeg(std::span<const std::uint8_t> bytes);
std::optional<CGImage> decodePng(std::span<const std::uint8_t> bytes);
std::optional<CGImage> decodeGif(std::span<const std::uint8_t> bytes);
std::optional<CGImage> decodeWebP(std::span<const std::uint8_t> bytes);
std::optional<CGImage> decodeBmp(std::span<const std::uint8_t> bytes);
// The first image of the file, rows as stored; `orientation` receives its
// Orientation tag (1 to 8, the EXIF values), 1 when it has none.
std::optional<CGImage> decodeTiff(std::span<const std::uint8_t> bytes, int& orientation);
std::optional<CGImage> decodeIco(std::span<const std::uint8_t> bytes);
// An icon directory's header: reserved 0, type 1 (icon), at least one entry.
bool hasIcoSignature(std::span<const std::uint8_t> bytes);

// For an 8-bit, non-interlaced PNG without palette or transparency chunk:
// true when its image data inflates to exactly every row with a valid filter
// type, false when it does not. Nothing for any other data, which only a
// full decode can judge.
std::optional<bool> checkPlainPngStream(std::span<const std::uint8_t> bytes);

}  // namespace imageio::detail
