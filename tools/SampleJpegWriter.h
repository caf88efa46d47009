// JPEG files for samples, tests and benchmarks, written with libjpeg, with an
// optional EXIF segment that carries an orientation tag.
#pragma once

#include "platform/imageio/CGImage.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace sampleimages {

// Gray8 images become grayscale JPEGs, RGB8 colour ones; images with alpha
// have it dropped. `exifOrientation` (1 to 8) adds an APP1 "Exif" segment
// right after the JFIF header, in big-endian TIFF order.
std::vector<std::uint8_t> encodeJpeg(const imageio::CGImage& image, int quality,
                                     std::optional<int> exifOrientation = std::nullopt);

// The APP1 payload ("Exif\0\0" and a TIFF structure with one directory
// holding only the Orientation tag) in the given byte order.
std::vector<std::uint8_t> exifOrientationPayload(int orientation, bool littleEndian = false);

}  // namespace sampleimages
