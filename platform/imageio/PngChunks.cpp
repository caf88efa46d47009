#include "platform/imageio/PngChunks.h"
#include "platform/imageio/PngFormat.h"

#include <cstring>

namespace imageio::detail {

namespace {

bool isType(const std::uint8_t* type, const char* name) { return std::memcmp(type, name, 4) == 0; }

bool validColorTypeAndDepth(std::uint8_t colorType, std::uint8_t depth) {
    switch (colorType) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6: return depth == 8 || depth == 16;
    default: return false;
    }
}

}  // namespace

std::optional<PngHeaderInfo> readPngHeaderInfo(std::span<const std::uint8_t> bytes) {
    if (!startsWithPngSignature(bytes)) return std::nullopt;
    PngHeaderInfo info;
    bool haveHeader = false;
    std::size_t at = kPngSignature.size();
    while (bytes.size() - at >= 12) {
        std::uint32_t length = readBigEndian32(bytes.data() + at);
        const std::uint8_t* type = bytes.data() + at + 4;
        if (length > bytes.size() - at - 12) break;  // cut short: report what came before
        const std::uint8_t* data = type + 4;

        if (!haveHeader) {
            // IHDR must come first and have exactly its 13 bytes.
            if (!isType(type, "IHDR") || length != 13) return std::nullopt;
            info.width = readBigEndian32(data);
            info.height = readBigEndian32(data + 4);
            info.bitDepth = data[8];
            info.colorType = data[9];
            info.interlaceMethod = data[12];
            if (info.width == 0 || info.height == 0 || !validColorTypeAndDepth(info.colorType, info.bitDepth) ||
                info.interlaceMethod > 1)
                return std::nullopt;
            haveHeader = true;
        } else if (isType(type, "IDAT") || isType(type, "IEND")) {
            break;
        } else if (isType(type, "tRNS")) {
            info.hasTransparencyChunk = true;
        } else if (isType(type, "pHYs") && length == 9) {
            info.physicalSize = PngPhysicalSize{readBigEndian32(data), readBigEndian32(data + 4), data[8] == 1};
        } else if (isType(type, "gAMA") && length == 4) {
            info.gammaTimes100000 = readBigEndian32(data);
        } else if (isType(type, "cHRM") && length == 32) {
            std::array<std::uint32_t, 8> values{};
            for (std::size_t i = 0; i < values.size(); ++i) values[i] = readBigEndian32(data + 4 * i);
            info.chromaticities = values;
        } else if (isType(type, "sRGB") && length == 1) {
            info.srgbIntent = data[0];
        }
        at += 12 + std::size_t{length};
    }
    if (!haveHeader) return std::nullopt;
    return info;
}

}  // namespace imageio::detail
