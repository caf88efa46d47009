// Decoded bitmaps: what the platform's CGImage holds for this system.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace imageio {

// 8 bits per component, rows top to bottom, no row padding.
enum class PixelFormat { Gray8, GrayAlpha8, RGB8, RGBA8 };

inline constexpr unsigned channelCount(PixelFormat format) {
    switch (format) {
    case PixelFormat::Gray8: return 1;
    case PixelFormat::GrayAlpha8: return 2;
    case PixelFormat::RGB8: return 3;
    case PixelFormat::RGBA8: return 4;
    }
    return 4;
}

struct CGImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    PixelFormat format = PixelFormat::RGB8;
    std::vector<std::uint8_t> pixels;  // width * height * channelCount(format) bytes

    unsigned channels() const { return channelCount(format); }
    bool hasAlpha() const { return format == PixelFormat::GrayAlpha8 || format == PixelFormat::RGBA8; }
    std::size_t rowBytes() const { return std::size_t{width} * channels(); }
};

using CGImageRef = std::shared_ptr<const CGImage>;

}  // namespace imageio
