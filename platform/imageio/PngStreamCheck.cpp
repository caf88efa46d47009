// Whether a plain PNG holds a whole image, without defiltering it: the chunk
// stream is walked, the critical chunks' CRCs checked, the image data inflated
// with libdeflate (several times faster than zlib) and every row's filter
// type checked. Anything out of the ordinary is left to libpng.
#include "platform/imageio/Decoders.h"
#include "platform/imageio/PngFormat.h"

#include <cstring>
#include <memory>
#include <vector>

#include <libdeflate.h>

namespace imageio::detail {

namespace {

constexpr std::uint8_t kLastFilterType = 4;  // Paeth

bool isType(const std::uint8_t* type, const char* name) { return std::memcmp(type, name, 4) == 0; }
// libpng refuses a chunk whose type is not four ASCII letters.
bool isWellFormedType(const std::uint8_t* type) {
    for (int i = 0; i < 4; ++i)
        if (!((type[i] >= 'A' && type[i] <= 'Z') || (type[i] >= 'a' && type[i] <= 'z'))) return false;
    return true;
}
// The case of a type's first letter says whether a reader must understand it.
bool isCritical(const std::uint8_t* type) { return (type[0] & 0x20) == 0; }

std::size_t channelsOfColorType(std::uint8_t colorType) {
    switch (colorType) {
    case 0: return 1;
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 0;
    }
}

struct Decompressor {
    void operator()(libdeflate_decompressor* decompressor) const { libdeflate_free_decompressor(decompressor); }
};

}  // namespace

std::optional<bool> checkPlainPngStream(std::span<const std::uint8_t> bytes) {
    if (!startsWithPngSignature(bytes)) return std::nullopt;

    std::size_t rowBytes = 0, height = 0;
    bool haveHeader = false, imageDataEnded = false, haveEnd = false;
    std::vector<std::uint8_t> joined;  // only when the image data spans chunks
    std::span<const std::uint8_t> imageData;
    for (std::size_t at = kPngSignature.size(); !haveEnd;) {
        if (bytes.size() - at < 12) return std::nullopt;
        std::uint32_t length = readBigEndian32(bytes.data() + at);
        if (length > kMaximumPngChunkLength || length > bytes.size() - at - 12) return std::nullopt;
        const std::uint8_t* type = bytes.data() + at + 4;
        const std::uint8_t* data = type + 4;
        if (!isWellFormedType(type)) return std::nullopt;
        if (isCritical(type) && libdeflate_crc32(0, type, std::size_t{length} + 4) != readBigEndian32(data + length))
            return std::nullopt;

        if (!haveHeader) {
            if (!isType(type, "IHDR") || length != 13) return std::nullopt;
            std::uint32_t width = readBigEndian32(data), rows = readBigEndian32(data + 4);
            std::size_t channels = channelsOfColorType(data[9]);
            // 8 bits per component, deflate, adaptive filtering, no interlace.
            if (data[8] != 8 || channels == 0 || data[10] != 0 || data[11] != 0 || data[12] != 0 ||
                !acceptableDimensions(width, rows) || width > kMaximumPngSide || rows > kMaximumPngSide)
                return std::nullopt;
            rowBytes = std::size_t{width} * channels + 1;
            height = rows;
            haveHeader = true;
        } else if (isType(type, "IDAT")) {
            if (imageDataEnded) return std::nullopt;
            std::span<const std::uint8_t> part(data, length);
            if (imageData.empty() && joined.empty()) {
                imageData = part;
            } else {
                if (joined.empty()) joined.assign(imageData.begin(), imageData.end());
                joined.insert(joined.end(), part.begin(), part.end());
                imageData = joined;
            }
        } else if (isType(type, "IEND")) {
            haveEnd = true;
        } else if (isCritical(type) || isType(type, "tRNS")) {
            // A palette, or transparency that changes the pixels: libpng's job.
            return std::nullopt;
        } else if (!imageData.empty()) {
            imageDataEnded = true;
        }
        at += std::size_t{length} + 12;
    }
    if (!haveHeader || imageData.empty()) return std::nullopt;
    // libdeflate ignores the window size the zlib header declares; zlib,
    // under libpng, refuses distances beyond it. Only the usual 32 KiB window
    // is judged here.
    if ((imageData[0] >> 4) != 7) return std::nullopt;

    thread_local std::unique_ptr<libdeflate_decompressor, Decompressor> decompressor(libdeflate_alloc_decompressor());
    if (!decompressor) return std::nullopt;
    std::vector<std::uint8_t> filtered(rowBytes * height);
    std::size_t consumed = 0, produced = 0;
    auto result = libdeflate_zlib_decompress_ex(decompressor.get(), imageData.data(), imageData.size(), filtered.data(),
                                                filtered.size(), &consumed, &produced);
    if (result != LIBDEFLATE_SUCCESS || consumed != imageData.size() || produced != filtered.size()) return false;
    for (std::size_t row = 0; row < height; ++row)
        if (filtered[row * rowBytes] > kLastFilterType) return false;
    return true;
}

}  // namespace imageio::detail
