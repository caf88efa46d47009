#include "platform/imageio/BmpHeader.h"
#include "platform/imageio/Decoders.h"
#include "platform/imageio/ImageCodecs.h"
#include "platform/imageio/PngFormat.h"

#include <algorithm>
#include <array>

namespace imageio {

namespace {

bool startsWith(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> prefix, std::size_t at = 0) {
    return bytes.size() >= at + prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin() + at);
}

constexpr std::array<std::uint8_t, 3> kJpegSignature{0xFF, 0xD8, 0xFF};
constexpr std::array<std::uint8_t, 6> kGif87Signature{'G', 'I', 'F', '8', '7', 'a'};
constexpr std::array<std::uint8_t, 6> kGif89Signature{'G', 'I', 'F', '8', '9', 'a'};
constexpr std::array<std::uint8_t, 4> kRiffTag{'R', 'I', 'F', 'F'};
constexpr std::array<std::uint8_t, 4> kWebPTag{'W', 'E', 'B', 'P'};
constexpr std::array<std::uint8_t, 4> kTiffLittleEndian{'I', 'I', 42, 0};
constexpr std::array<std::uint8_t, 4> kTiffBigEndian{'M', 'M', 0, 42};

}  // namespace

std::optional<ImageFormat> sniffImageFormat(std::span<const std::uint8_t> bytes) {
    if (startsWith(bytes, kJpegSignature)) return ImageFormat::JPEG;
    if (detail::startsWithPngSignature(bytes)) return ImageFormat::PNG;
    if (startsWith(bytes, kGif87Signature) || startsWith(bytes, kGif89Signature)) return ImageFormat::GIF;
    if (startsWith(bytes, kRiffTag) && startsWith(bytes, kWebPTag, 8)) return ImageFormat::WebP;
    if (startsWith(bytes, kTiffLittleEndian) || startsWith(bytes, kTiffBigEndian)) return ImageFormat::TIFF;
    // "BM" alone starts too much text to name a format; the header size must be one in use.
    if (detail::readBmpHeader(bytes)) return ImageFormat::BMP;
    if (detail::hasIcoSignature(bytes)) return ImageFormat::ICO;
    return std::nullopt;
}

const char* fileExtension(ImageFormat format) {
    switch (format) {
    case ImageFormat::JPEG: return "JPG";
    case ImageFormat::PNG: return "PNG";
    case ImageFormat::GIF: return "GIF";
    case ImageFormat::WebP: return "WEBP";
    case ImageFormat::BMP: return "BMP";
    case ImageFormat::TIFF: return "TIFF";
    case ImageFormat::ICO: return "ICO";
    }
    return "PNG";
}

}  // namespace imageio
