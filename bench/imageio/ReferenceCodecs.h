// The reference points the image benchmarks measure against: libpng with its
// default settings, and libjpeg-turbo's decoder called directly.
#pragma once

#include "platform/imageio/CGImage.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace bench {

// A PNG of the bitmap from libpng with nothing changed from its defaults
// (zlib level 6, adaptive filtering).
std::vector<std::uint8_t> encodeWithLibpngDefaults(const imageio::CGImage& image);

struct RawDecode {
    std::unique_ptr<std::uint8_t[]> pixels;
    std::uint32_t width = 0, height = 0;
};
// The JPEG decoded to RGB with libjpeg's API and its default settings.
RawDecode decodeWithLibjpeg(std::span<const std::uint8_t> jpeg);

}  // namespace bench
