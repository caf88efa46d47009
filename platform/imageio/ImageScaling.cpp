// Downscaling with an area (box) filter: every output pixel is the average of
// the source area it covers, partly covered source pixels weighted by the
// part they contribute. Photos shrink without the moiré of point sampling.
#include "platform/imageio/ImageCodecs.h"

#include <algorithm>
#include <cmath>

namespace imageio {

namespace {

// For each output position along one axis, the source positions it covers
// and their weights, which sum to one.
struct AxisWeights {
    std::vector<std::uint32_t> first;
    std::vector<std::uint32_t> count;
    std::vector<std::size_t> offset;
    std::vector<float> weights;
};

AxisWeights areaWeights(std::uint32_t sourceLength, std::uint32_t targetLength) {
    AxisWeights axis;
    double scale = static_cast<double>(sourceLength) / targetLength;
    for (std::uint32_t i = 0; i < targetLength; ++i) {
        double begin = i * scale, end = std::min<double>((i + 1) * scale, sourceLength);
        auto first = static_cast<std::uint32_t>(begin);
        auto last = std::min(sourceLength - 1, static_cast<std::uint32_t>(std::ceil(end)) - 1);
        axis.first.push_back(first);
        axis.count.push_back(last - first + 1);
        axis.offset.push_back(axis.weights.size());
        for (std::uint32_t s = first; s <= last; ++s) {
            double covered = std::min<double>(s + 1, end) - std::max<double>(s, begin);
            axis.weights.push_back(static_cast<float>(std::max(covered, 0.0) / (end - begin)));
        }
    }
    return axis;
}

}  // namespace

CGImageRef scaledToFit(const CGImageRef& image, std::uint32_t maximumSide) {
    if (!image || maximumSide == 0) return nullptr;
    std::uint32_t longer = std::max(image->width, image->height);
    if (longer <= maximumSide) return image;
    if (image->pixels.size() != image->rowBytes() * image->height) return nullptr;

    double factor = static_cast<double>(maximumSide) / longer;
    CGImage scaled;
    scaled.format = image->format;
    scaled.width = image->width == longer
                       ? maximumSide
                       : std::max(1u, static_cast<std::uint32_t>(std::lround(image->width * factor)));
    scaled.height = image->height == longer
                        ? maximumSide
                        : std::max(1u, static_cast<std::uint32_t>(std::lround(image->height * factor)));
    scaled.pixels.resize(scaled.rowBytes() * scaled.height);

    const std::size_t channels = image->channels();
    const AxisWeights columns = areaWeights(image->width, scaled.width);
    const AxisWeights rows = areaWeights(image->height, scaled.height);
    // One output row at a time: first the covered source rows are summed
    // vertically at full width, then that sum is narrowed horizontally.
    std::vector<float> columnSums(image->rowBytes());
    for (std::uint32_t y = 0; y < scaled.height; ++y) {
        std::fill(columnSums.begin(), columnSums.end(), 0.0f);
        for (std::uint32_t k = 0; k < rows.count[y]; ++k) {
            float weight = rows.weights[rows.offset[y] + k];
            const std::uint8_t* source = image->pixels.data() + (rows.first[y] + k) * image->rowBytes();
            for (std::size_t i = 0; i < columnSums.size(); ++i) columnSums[i] += weight * source[i];
        }
        std::uint8_t* out = scaled.pixels.data() + y * scaled.rowBytes();
        for (std::uint32_t x = 0; x < scaled.width; ++x) {
            for (std::size_t c = 0; c < channels; ++c) {
                float sum = 0;
                for (std::uint32_t k = 0; k < columns.count[x]; ++k)
                    sum += columns.weights[columns.offset[x] + k] * columnSums[(columns.first[x] + k) * channels + c];
                out[x * channels + c] = static_cast<std::uint8_t>(std::clamp(std::lround(sum), 0l, 255l));
            }
        }
    }
    return std::make_shared<const CGImage>(std::move(scaled));
}

}  // namespace imageio
