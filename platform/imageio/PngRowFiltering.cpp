#include "platform/imageio/PngRowFiltering.h"

#include "platform/imageio/PngFilterChoice.h"

#include <cstring>

namespace imageio::detail {

namespace {

// Writes one filtered row (without its filter-type byte). `previous` is the
// row above, all zeros for the first row, as the format defines.
void filterRow(PngRowFilter filter, const std::uint8_t* row, const std::uint8_t* previous, std::uint8_t* out,
               std::size_t rowBytes, std::size_t bpp) {
    switch (filter) {
    case PngRowFilter::None:
    case PngRowFilter::Adaptive: std::memcpy(out, row, rowBytes); return;
    case PngRowFilter::Sub:
        for (std::size_t i = 0; i < bpp; ++i) out[i] = row[i];
        for (std::size_t i = bpp; i < rowBytes; ++i) out[i] = static_cast<std::uint8_t>(row[i] - row[i - bpp]);
        return;
    case PngRowFilter::Up:
        for (std::size_t i = 0; i < rowBytes; ++i) out[i] = static_cast<std::uint8_t>(row[i] - previous[i]);
        return;
    case PngRowFilter::Average:
        for (std::size_t i = 0; i < bpp; ++i) out[i] = static_cast<std::uint8_t>(row[i] - (previous[i] >> 1));
        for (std::size_t i = bpp; i < rowBytes; ++i)
            out[i] = static_cast<std::uint8_t>(row[i] - ((row[i - bpp] + previous[i]) >> 1));
        return;
    case PngRowFilter::Paeth:
        for (std::size_t i = 0; i < bpp; ++i) out[i] = static_cast<std::uint8_t>(row[i] - previous[i]);
        for (std::size_t i = bpp; i < rowBytes; ++i)
            out[i] = static_cast<std::uint8_t>(row[i] - paethPredictor(row[i - bpp], previous[i], previous[i - bpp]));
        return;
    }
}

}  // namespace

std::vector<std::uint8_t> filterRows(const CGImage& image, PngRowFilter filter, std::uint32_t first,
                                     std::uint32_t last) {
    std::vector<std::uint8_t> out;
    filterRowsInto(image, filter, first, last, out);
    return out;
}

void filterRowsInto(const CGImage& image, PngRowFilter filter, std::uint32_t first, std::uint32_t last,
                    std::vector<std::uint8_t>& out) {
    std::size_t rowBytes = image.rowBytes(), bpp = image.channels();
    out.resize((rowBytes + 1) * (last - first));
    std::vector<std::uint8_t> zeroRow(first == 0 ? rowBytes : 0);
    const std::uint8_t* previous = first == 0 ? zeroRow.data() : image.pixels.data() + (first - 1) * rowBytes;
    for (std::uint32_t y = first; y < last; ++y) {
        const std::uint8_t* row = image.pixels.data() + y * rowBytes;
        std::uint8_t* target = out.data() + (y - first) * (rowBytes + 1);
        PngRowFilter chosen = filter == PngRowFilter::Adaptive ? cheapestFilter(row, previous, rowBytes, bpp) : filter;
        target[0] = static_cast<std::uint8_t>(chosen);
        filterRow(chosen, row, previous, target + 1, rowBytes, bpp);
        previous = row;
    }
}

}  // namespace imageio::detail
