// Inputs for the image tests, made with the formats' own reference encoders
// (libpng, giflib, libwebp; JPEG through the sample writer over libjpeg), and
// libpng as a decoder that is independent of the code under test.
#pragma once

#include "platform/imageio/CGImage.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace testimages {

using Bytes = std::vector<std::uint8_t>;

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
    bool operator==(const Rgba&) const = default;
};

// ---- PNG through libpng ----------------------------------------------------

struct PngWriteOptions {
    int bitDepth = 8;  // 1, 2, 4 (gray and palette), 8 or 16
    bool interlaced = false;
    bool palette = false;                                            // RGB8 input written as a palette image
    std::optional<std::array<std::uint16_t, 3>> transparentColor{};  // tRNS for gray (first value) or RGB
    std::optional<std::array<std::uint32_t, 3>> physicalSize{};      // pHYs: x, y, unit
    std::optional<std::uint32_t> gamma{};                            // gAMA, times 100000
    std::optional<std::array<std::uint32_t, 8>> chromaticities{};    // cHRM, times 100000
    std::optional<int> srgbIntent{};                                 // sRGB
};

// Writes the bitmap with libpng. For depths below 8 the gray values are
// reduced to that depth (value >> (8 - depth)); for depth 16 every sample v
// becomes v * 257. A palette image takes the colours of the bitmap in the
// order they first appear (at most 256).
Bytes writePngWithLibpng(const imageio::CGImage& image, const PngWriteOptions& options = {});

struct LibpngReadResult {
    imageio::CGImage image;
    int colorType = 0;
    int bitDepth = 0;
    int interlace = 0;
};
// Reads a PNG with libpng exactly as stored (8-bit files only); nothing when
// libpng refuses it.
std::optional<LibpngReadResult> readPngWithLibpng(std::span<const std::uint8_t> png);

// ---- GIF through giflib ----------------------------------------------------

struct GifFrame {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<std::uint8_t> indices;  // width * height, row by row
    std::optional<int> transparentIndex;
    bool interlaced = false;
};
Bytes writeGifWithGiflib(int screenWidth, int screenHeight, const std::vector<Rgba>& palette,
                         const std::vector<GifFrame>& frames);

// ---- WebP through libwebp ---------------------------------------------------

// RGB8 or RGBA8 input; lossless keeps the pixels exactly.
Bytes writeWebPWithLibwebp(const imageio::CGImage& image, bool lossless, int quality = 90);
// An animation whose frames are the given RGBA8 bitmaps of one size.
Bytes writeAnimatedWebPWithLibwebp(const std::vector<imageio::CGImage>& frames);

// ---- JPEG helpers ----------------------------------------------------------

// A CMYK JPEG of one colour, the four samples stored as given. libjpeg adds
// an Adobe marker, so readers take the samples as inverted (255 = no ink).
Bytes writeCmykJpeg(std::uint32_t width, std::uint32_t height, std::array<std::uint8_t, 4> storedSamples);

// Inserts an APP1 segment with the given payload right after SOI.
Bytes withApp1Segment(const Bytes& jpeg, const std::vector<std::uint8_t>& payload);

// ---- Bitmaps ---------------------------------------------------------------

imageio::CGImage solidImage(std::uint32_t width, std::uint32_t height, imageio::PixelFormat format, Rgba color);
Rgba pixelAt(const imageio::CGImage& image, std::uint32_t x, std::uint32_t y);
void setPixel(imageio::CGImage& image, std::uint32_t x, std::uint32_t y, Rgba color);
// Mean absolute difference per sample; the images must have one size and format.
double meanAbsoluteDifference(const imageio::CGImage& a, const imageio::CGImage& b);

Bytes readFile(const std::string& hostPath);
void writeFile(const std::string& hostPath, std::span<const std::uint8_t> bytes);

}  // namespace testimages
