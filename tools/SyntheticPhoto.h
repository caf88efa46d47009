// Photo-like pictures made from a seed: smooth gradients, shapes with hard
// edges and sensor-like noise, so that codecs meet what a camera produces
// rather than flat colour, and every run sees the same pixels.
#pragma once

#include "platform/imageio/CGImage.h"

#include <cmath>
#include <cstdint>

namespace sampleimages {

imageio::CGImage makePhotoLikeImage(std::uint32_t width, std::uint32_t height, imageio::PixelFormat format,
                                    std::uint32_t seed = 1);

// A bitmap of the size and format with every byte zero, for the generators
// to paint.
inline imageio::CGImage zeroedImage(std::uint32_t width, std::uint32_t height, imageio::PixelFormat format) {
    imageio::CGImage image;
    image.width = width;
    image.height = height;
    image.format = format;
    image.pixels.resize(image.rowBytes() * height);
    return image;
}

// A small deterministic generator (splitmix64), for noise and layouts.
class SeededRandom {
public:
    explicit SeededRandom(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    double between(double low, double high) { return low + (high - low) * unit(); }
    // Normally distributed, mean 0 and deviation 1 (Box-Muller).
    double gaussian() {
        double radius = std::sqrt(-2 * std::log(1 - unit()));
        return radius * std::cos(2 * M_PI * unit());
    }

private:
    std::uint64_t state_;
};

}  // namespace sampleimages
