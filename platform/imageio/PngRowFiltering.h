// Filtering rows for the PNG encoder: each row becomes its filter-type byte
// followed by the row's bytes predicted by that filter.
#pragma once

#include "platform/imageio/CGImage.h"
#include "platform/imageio/PngEncoder.h"

#include <cstdint>
#include <vector>

namespace imageio::detail {

// Rows [first, last) of the image, filtered. The row above the first is read
// from the image, so parts of one image can be filtered independently.
std::vector<std::uint8_t> filterRows(const CGImage& image, PngRowFilter filter, std::uint32_t first,
                                     std::uint32_t last);
// The same into `out`, resized to fit, so that a caller filtering band after
// band reuses one buffer.
void filterRowsInto(const CGImage& image, PngRowFilter filter, std::uint32_t first, std::uint32_t last,
                    std::vector<std::uint8_t>& out);

}  // namespace imageio::detail
