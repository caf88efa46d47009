#include "platform/imageio/JpegHeader.h"

#include <algorithm>
#include <array>

namespace imageio::detail {

namespace {

constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kEndOfImage = 0xD9;
constexpr std::uint8_t kApp1 = 0xE1;
constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kTiffShort = 3;
constexpr std::uint16_t kTiffLong = 4;
constexpr std::array<std::uint8_t, 6> kExifPrefix{'E', 'x', 'i', 'f', 0, 0};

// Markers without a length field: TEM, the restart markers and SOI.
bool isStandalone(std::uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8); }

// SOF0 to SOF15, except DHT (C4), JPG (C8) and DAC (CC), which share the range.
bool isStartOfFrame(std::uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

class TiffReader {
public:
    explicit TiffReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool readByteOrder() {
        if (bytes_.size() < 8) return false;
        if (bytes_[0] == 'I' && bytes_[1] == 'I') littleEndian_ = true;
        else if (bytes_[0] == 'M' && bytes_[1] == 'M') littleEndian_ = false;
        else return false;
        return u16(2) == 42;
    }
    bool has(std::size_t offset, std::size_t length) const {
        return offset <= bytes_.size() && length <= bytes_.size() - offset;
    }
    std::uint16_t u16(std::size_t at) const {
        return littleEndian_ ? static_cast<std::uint16_t>(bytes_[at] | bytes_[at + 1] << 8)
                             : static_cast<std::uint16_t>(bytes_[at] << 8 | bytes_[at + 1]);
    }
    std::uint32_t u32(std::size_t at) const {
        std::uint32_t high = u16(littleEndian_ ? at + 2 : at);
        std::uint32_t low = u16(littleEndian_ ? at : at + 2);
        return high << 16 | low;
    }

private:
    std::span<const std::uint8_t> bytes_;
    bool littleEndian_ = true;
};

}  // namespace

std::optional<int> readTiffOrientation(std::span<const std::uint8_t> tiff) {
    TiffReader reader(tiff);
    if (!reader.readByteOrder()) return std::nullopt;
    std::size_t directory = reader.u32(4);
    if (!reader.has(directory, 2)) return std::nullopt;
    std::size_t entries = reader.u16(directory);
    for (std::size_t i = 0; i < entries; ++i) {
        std::size_t entry = directory + 2 + i * 12;
        if (!reader.has(entry, 12)) return std::nullopt;
        if (reader.u16(entry) != kOrientationTag) continue;
        std::uint16_t type = reader.u16(entry + 2);
        // Some writers store the value as a LONG; both fit in the entry itself.
        std::uint32_t value = type == kTiffShort  ? reader.u16(entry + 8)
                              : type == kTiffLong ? reader.u32(entry + 8)
                                                  : 0;
        if (value >= 1 && value <= 8) return static_cast<int>(value);
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<JpegHeader> readJpegHeader(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return std::nullopt;
    JpegHeader header;
    bool haveFrame = false;
    std::size_t at = 2;
    while (at < bytes.size()) {
        if (bytes[at] != 0xFF) return std::nullopt;
        // Any number of 0xFF fill bytes may precede a marker.
        while (at < bytes.size() && bytes[at] == 0xFF) ++at;
        if (at >= bytes.size()) break;
        std::uint8_t marker = bytes[at++];
        if (isStandalone(marker)) continue;
        if (marker == kStartOfScan || marker == kEndOfImage) break;
        if (at + 2 > bytes.size()) break;
        std::size_t length = static_cast<std::size_t>(bytes[at] << 8 | bytes[at + 1]);
        if (length < 2 || at + length > bytes.size()) break;
        auto payload = bytes.subspan(at + 2, length - 2);
        if (isStartOfFrame(marker) && !haveFrame && payload.size() >= 6) {
            header.precision = payload[0];
            header.height = static_cast<std::uint32_t>(payload[1] << 8 | payload[2]);
            header.width = static_cast<std::uint32_t>(payload[3] << 8 | payload[4]);
            header.components = payload[5];
            haveFrame = true;
        } else if (marker == kApp1 && !header.exifOrientation && payload.size() > kExifPrefix.size() &&
                   std::equal(kExifPrefix.begin(), kExifPrefix.end(), payload.begin())) {
            header.exifOrientation = readTiffOrientation(payload.subspan(kExifPrefix.size()));
        }
        at += length;
    }
    if (!haveFrame) return std::nullopt;
    return header;
}

}  // namespace imageio::detail
