// What a JPEG's markers say before its first scan: the frame's size and
// components, and the EXIF orientation. Read by walking the markers directly,
// so the decoder and the property reader agree on one reading.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace imageio::detail {

struct JpegHeader {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int components = 0;                  // 1 gray, 3 YCbCr/RGB, 4 CMYK/YCCK
    int precision = 8;                   // bits per sample
    std::optional<int> exifOrientation;  // 1 to 8, only when the data carries a valid one
};

// Nothing when the data has no frame header before its first scan.
std::optional<JpegHeader> readJpegHeader(std::span<const std::uint8_t> bytes);

// The Orientation tag (0x0112) of the first image directory of a TIFF
// structure (an EXIF APP1 payload after its "Exif\0\0" prefix); nothing when
// absent or outside 1 to 8.
std::optional<int> readTiffOrientation(std::span<const std::uint8_t> tiff);

}  // namespace imageio::detail
