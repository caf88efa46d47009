#include "tools/CameraPhoto.h"

#include "tools/SyntheticPhoto.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>
#include <vector>

namespace sampleimages {

namespace {

// Smooth random values on a grid of `cell` pixels, interpolated: one octave
// of the cloud layer.
class ValueNoise {
public:
    ValueNoise(std::uint32_t width, std::uint32_t height, double cell, SeededRandom& random)
        : cell_(cell),
          columns_(static_cast<std::size_t>(width / cell) + 2),
          values_(columns_ * (static_cast<std::size_t>(height / cell) + 2)) {
        for (double& value : values_) value = random.between(-1, 1);
    }
    double at(double x, double y) const {
        double gx = x / cell_, gy = y / cell_;
        auto ix = static_cast<std::size_t>(gx), iy = static_cast<std::size_t>(gy);
        double fx = smooth(gx - ix), fy = smooth(gy - iy);
        const double* row = &values_[iy * columns_ + ix];
        double top = row[0] + (row[1] - row[0]) * fx;
        double bottom = row[columns_] + (row[columns_ + 1] - row[columns_]) * fx;
        return top + (bottom - top) * fy;
    }

private:
    static double smooth(double t) { return t * t * (3 - 2 * t); }
    double cell_;
    std::size_t columns_;
    std::vector<double> values_;
};

// A 5x7 pixel font for the letters the caption uses.
const std::array<std::uint8_t, 7>* glyph(char c) {
    static const std::array<std::uint8_t, 7> glyphs[] = {
        {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11},  // A
        {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E},  // C
        {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F},  // E
        {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11},  // H
        {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F},  // L
        {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11},  // M
        {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E},  // O
        {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11},  // R
        {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E},  // S
        {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04},  // T
        {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F},  // 2
        {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E},  // 0
        {0x0E, 0x10, 0x10, 0x1E, 0x11, 0x11, 0x0E},  // 6
    };
    constexpr std::string_view kLetters = "ACEHLMORST206";
    std::size_t index = kLetters.find(c);
    return index == std::string_view::npos ? nullptr : &glyphs[index];
}

}  // namespace

imageio::CGImage makeCameraPhoto(std::uint32_t width, std::uint32_t height, imageio::PixelFormat format,
                                 double noiseSigma, std::uint32_t seed) {
    SeededRandom random(seed * 104729ull + 3);
    // Clouds: octaves of smooth noise, each half the size and half the weight
    // of the one before, as a 1/f spectrum has it.
    std::vector<ValueNoise> octaves[3];
    for (auto& channel : octaves)
        for (double cell = std::max(width, height) / 2.0, weight = 1; cell >= 2; cell /= 2, weight /= 2)
            channel.emplace_back(width, height, cell, random);
    double base[3] = {random.between(70, 180), random.between(70, 180), random.between(70, 180)};
    constexpr double kCloudContrast = 60;
    struct Shape {
        bool disc;
        double x0, y0, x1, y1, color[3];
    };
    std::vector<Shape> shapes;
    for (int i = 0; i < 12; ++i) {
        double w = random.between(0.05, 0.3) * width, h = random.between(0.05, 0.3) * height;
        double x = random.between(0, 0.9) * width, y = random.between(0, 0.9) * height;
        shapes.push_back({random.unit() < 0.5,
                          x,
                          y,
                          x + w,
                          y + h,
                          {random.between(20, 235), random.between(20, 235), random.between(20, 235)}});
    }
    // Two lines of caption, each glyph pixel a square of `scale` pixels.
    const std::string_view lines[2] = {"HARBOUR 2026", "SEA LOCAL TIME"};
    const std::uint32_t scale = std::max<std::uint32_t>(2, height / 120);

    imageio::CGImage image = zeroedImage(width, height, format);
    const unsigned channels = image.channels();
    std::vector<double> rgb(std::size_t{width} * 3);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) {
                double cloud = 0, weight = 1;
                for (const ValueNoise& octave : octaves[c]) cloud += weight * octave.at(x, y), weight /= 2;
                rgb[std::size_t{x} * 3 + c] = base[c] + kCloudContrast * cloud;
            }
        for (const Shape& shape : shapes) {
            if (y < shape.y0 || y >= shape.y1) continue;
            double cy = (shape.y0 + shape.y1) / 2, ry = (shape.y1 - shape.y0) / 2;
            double cx = (shape.x0 + shape.x1) / 2, rx = (shape.x1 - shape.x0) / 2;
            for (auto x = static_cast<std::uint32_t>(shape.x0); x < std::min<double>(shape.x1, width); ++x) {
                double u = (x - cx) / rx, v = (y - cy) / ry;
                if (shape.disc && u * u + v * v > 1) continue;
                for (int c = 0; c < 3; ++c) rgb[std::size_t{x} * 3 + c] = shape.color[c] * (0.85 + 0.15 * v);
            }
        }
        for (std::uint32_t line = 0; line < 2; ++line) {
            std::uint32_t top = height - (3 - line) * 10 * scale;
            if (y < top || y >= top + 7 * scale) continue;
            std::uint32_t glyphRow = (y - top) / scale;
            for (std::size_t i = 0; i < lines[line].size(); ++i) {
                const auto* bits = glyph(lines[line][i]);
                if (!bits) continue;
                for (std::uint32_t column = 0; column < 5; ++column) {
                    if (!((*bits)[glyphRow] >> (4 - column) & 1)) continue;
                    std::uint32_t left = 2 * 10 * scale + static_cast<std::uint32_t>(i) * 6 * scale + column * scale;
                    for (std::uint32_t x = left; x < std::min(width, left + scale); ++x)
                        for (int c = 0; c < 3; ++c) rgb[std::size_t{x} * 3 + c] = 245;
                }
            }
        }
        std::uint8_t* out = image.pixels.data() + y * image.rowBytes();
        for (std::uint32_t x = 0; x < width; ++x) {
            double noisy[3];
            for (int c = 0; c < 3; ++c) noisy[c] = rgb[std::size_t{x} * 3 + c] + noiseSigma * random.gaussian();
            // A soft vignette with a cut-out of rounded corners, for formats with alpha.
            double dx = (x - width / 2.0) / width, dy = (y - height / 2.0) / height;
            double alpha = 255 * std::clamp(1.2 - 2.2 * (dx * dx + dy * dy), 0.0, 1.0);
            double hx = std::max(0.0, std::abs(dx) - 0.08), hy = std::max(0.0, std::abs(dy) - 0.08);
            if (std::abs(dx) < 0.12 && std::abs(dy) < 0.12 && hx * hx + hy * hy < 0.0016) alpha = 0;
            std::uint8_t* target = out + std::size_t{x} * channels;
            auto toByte = [](double value) {
                return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0l, 255l));
            };
            if (channels <= 2) {
                target[0] = toByte(0.299 * noisy[0] + 0.587 * noisy[1] + 0.114 * noisy[2]);
            } else {
                for (int c = 0; c < 3; ++c) target[c] = toByte(noisy[c]);
            }
            if (channels == 2 || channels == 4) target[channels - 1] = toByte(alpha);
        }
    }
    return image;
}

}  // namespace sampleimages
