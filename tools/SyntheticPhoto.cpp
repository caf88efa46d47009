#include "tools/SyntheticPhoto.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace sampleimages {

namespace {

// Grain of about the strength a phone camera leaves after its own noise
// reduction: a few levels, so that neighbouring pixels rarely repeat exactly.
constexpr double kNoiseAmplitude = 3.0;

struct Shape {
    bool disc;
    double x0, y0, x1, y1;  // bounding box, in pixels
    double color[3];
    double shade[3];  // change across the shape, so it is not flat either
};

struct Wave {
    double fx, fy, phase, amplitude;
};

std::uint8_t toByte(double value) { return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0l, 255l)); }

}  // namespace

imageio::CGImage makePhotoLikeImage(std::uint32_t width, std::uint32_t height, imageio::PixelFormat format,
                                    std::uint32_t seed) {
    SeededRandom random(seed * 7919ull + 17);
    // 1. A soft background: a few long waves per channel over a base colour.
    double base[3] = {random.between(60, 190), random.between(60, 190), random.between(60, 190)};
    std::vector<Wave> waves[3];
    for (auto& channel : waves)
        for (int i = 0; i < 4; ++i)
            channel.push_back({random.between(0.5, 3.0) * 2 * M_PI / width,
                               random.between(0.5, 3.0) * 2 * M_PI / height, random.between(0, 2 * M_PI),
                               random.between(10, 30)});
    // 2. Objects in front of it, with hard edges.
    std::vector<Shape> shapes;
    for (int i = 0; i < 24; ++i) {
        double w = random.between(0.05, 0.35) * width, h = random.between(0.05, 0.35) * height;
        double x = random.between(-0.1, 1.0) * width, y = random.between(-0.1, 1.0) * height;
        shapes.push_back({random.unit() < 0.5,
                          x,
                          y,
                          x + w,
                          y + h,
                          {random.between(20, 235), random.between(20, 235), random.between(20, 235)},
                          {random.between(-40, 40), random.between(-40, 40), random.between(-40, 40)}});
    }

    imageio::CGImage image = zeroedImage(width, height, format);
    const unsigned channels = image.channels();
    std::vector<double> rgb(std::size_t{width} * 3);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            double* pixel = &rgb[std::size_t{x} * 3];
            for (int c = 0; c < 3; ++c) {
                double value = base[c];
                for (const Wave& wave : waves[c])
                    value += wave.amplitude * std::sin(wave.fx * x + wave.fy * y + wave.phase);
                pixel[c] = value;
            }
        }
        for (const Shape& shape : shapes) {
            if (y < shape.y0 || y >= shape.y1) continue;
            double cy = (shape.y0 + shape.y1) / 2, ry = (shape.y1 - shape.y0) / 2;
            double cx = (shape.x0 + shape.x1) / 2, rx = (shape.x1 - shape.x0) / 2;
            auto first = static_cast<std::uint32_t>(std::max(0.0, shape.x0));
            auto last = static_cast<std::uint32_t>(std::clamp(shape.x1, 0.0, static_cast<double>(width)));
            for (std::uint32_t x = first; x < last; ++x) {
                double u = (x - cx) / rx, v = (y - cy) / ry;
                if (shape.disc && u * u + v * v > 1) continue;
                for (int c = 0; c < 3; ++c) rgb[std::size_t{x} * 3 + c] = shape.color[c] + shape.shade[c] * (u + v) / 2;
            }
        }
        // 3. Grain, then the pixel format.
        std::uint8_t* out = image.pixels.data() + y * image.rowBytes();
        for (std::uint32_t x = 0; x < width; ++x) {
            const double* pixel = &rgb[std::size_t{x} * 3];
            double noisy[3];
            for (int c = 0; c < 3; ++c) noisy[c] = pixel[c] + kNoiseAmplitude * (random.unit() + random.unit() - 1) * 2;
            // A vignette-like alpha with a hard-edged hole, for formats that have one.
            double dx = (x - width / 2.0) / width, dy = (y - height / 2.0) / height;
            double alpha = 255 * (1 - 1.6 * (dx * dx + dy * dy)) + (random.unit() - 0.5) * 4;
            if (std::abs(dx) < 0.05 && std::abs(dy) < 0.05) alpha = 0;
            std::uint8_t* target = out + std::size_t{x} * channels;
            switch (format) {
            case imageio::PixelFormat::Gray8:
            case imageio::PixelFormat::GrayAlpha8:
                target[0] = toByte(0.299 * noisy[0] + 0.587 * noisy[1] + 0.114 * noisy[2]);
                if (channels == 2) target[1] = toByte(alpha);
                break;
            case imageio::PixelFormat::RGB8:
            case imageio::PixelFormat::RGBA8:
                for (int c = 0; c < 3; ++c) target[c] = toByte(noisy[c]);
                if (channels == 4) target[3] = toByte(alpha);
                break;
            }
        }
    }
    return image;
}

}  // namespace sampleimages
