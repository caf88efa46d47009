// The adaptive filter choice of the PNG encoder: for one row, the filter
// whose output has the smallest sum of magnitudes (each filtered byte read as
// a signed difference), as default-settings encoders choose.
#pragma once

#include "platform/imageio/PngEncoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace imageio::detail {

// The Paeth predictor, written without branches so that loops over it vectorize.
inline int paethPredictor(int left, int up, int upLeft) {
    int toLeft = std::abs(up - upLeft), toUp = std::abs(left - upLeft), toUpLeft = std::abs(left + up - 2 * upLeft);
    return ((toLeft <= toUp) & (toLeft <= toUpLeft)) ? left : (toUp <= toUpLeft ? up : upLeft);
}

// The five sums for one row, in filter-type order (None, Sub, Up, Average,
// Paeth). `previous` is the row above (all zeros for the first row); `bpp`
// is the bytes per pixel, 1 to 4.
void filterMagnitudeSums(const std::uint8_t* row, const std::uint8_t* previous, std::size_t rowBytes, std::size_t bpp,
                         std::uint64_t (&sums)[5]);

// The filter with the smallest sum; the lowest-numbered one on a tie.
PngRowFilter cheapestFilter(const std::uint8_t* row, const std::uint8_t* previous, std::size_t rowBytes,
                            std::size_t bpp);

// The same sums one byte at a time: what the vector code must equal.
void filterMagnitudeSumsByByte(const std::uint8_t* row, const std::uint8_t* previous, std::size_t rowBytes,
                               std::size_t bpp, std::uint64_t (&sums)[5]);

}  // namespace imageio::detail
