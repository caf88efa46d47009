#include "platform/foundation/RegularFile.h"
#include "platform/imageio/Decoders.h"
#include "platform/imageio/ImageCodecs.h"
#include "platform/imageio/JpegHeader.h"
#include "platform/imageio/OwnEncodings.h"

#include <fstream>
#include <new>

namespace imageio {

namespace {

// Far above any picture a messaging app passes on, and small enough that a
// stray multi-gigabyte file is refused before it is read.
constexpr std::uintmax_t kMaximumFileBytes = 512ull * 1024 * 1024;

// `orientation` receives the orientation the format's own header gives.
std::optional<CGImage> decodePixels(ImageFormat format, std::span<const std::uint8_t> bytes, int& orientation) {
    switch (format) {
    case ImageFormat::JPEG: return detail::decodeJpeg(bytes);
    case ImageFormat::PNG: return detail::decodePng(bytes);
    case ImageFormat::GIF: return detail::decodeGif(bytes);
    case ImageFormat::WebP: return detail::decodeWebP(bytes);
    case ImageFormat::BMP: return detail::decodeBmp(bytes);
    case ImageFormat::TIFF: return detail::decodeTiff(bytes, orientation);
    case ImageFormat::ICO: return detail::decodeIco(bytes);
    }
    return std::nullopt;
}

std::optional<DecodedImage> decodeOrThrow(std::span<const std::uint8_t> bytes) {
    auto format = sniffImageFormat(bytes);
    if (!format) return std::nullopt;
    DecodedImage decoded;
    auto pixels = decodePixels(*format, bytes, decoded.exifOrientation);
    if (!pixels) return std::nullopt;

    decoded.image = std::make_shared<const CGImage>(std::move(*pixels));
    decoded.format = *format;
    if (*format == ImageFormat::JPEG) {
        auto header = detail::readJpegHeader(bytes);
        if (header && header->exifOrientation) decoded.exifOrientation = *header->exifOrientation;
    }
    return decoded;
}

}  // namespace

// A picture too big for the memory left is refused like one that is
// damaged, instead of ending the process.
std::optional<DecodedImage> decodeImage(std::span<const std::uint8_t> bytes) {
    try {
        return decodeOrThrow(bytes);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::optional<ImageSummary> inspectImage(std::span<const std::uint8_t> bytes) {
    auto format = sniffImageFormat(bytes);
    if (format == ImageFormat::PNG) {
        // A stream found broken still goes to libpng, whose verdict stands.
        if (detail::checkPlainPngStream(bytes).value_or(false)) return ImageSummary{ImageFormat::PNG, 1};
    }
    auto decoded = decodeImage(bytes);
    if (!decoded) return std::nullopt;
    return ImageSummary{decoded->format, decoded->exifOrientation};
}

std::optional<ImageSummary> inspectImage(const foundation::NSDataRef& data) {
    if (!data) return std::nullopt;
    if (detail::isOwnEncoding(data)) return ImageSummary{ImageFormat::PNG, 1};
    return inspectImage(std::span<const std::uint8_t>(*data));
}

std::optional<DecodedImage> decodeImageFile(const std::filesystem::path& hostFile) {
    // The file may be anything a sender or a person put there: a FIFO, a
    // device, a folder. Only a regular file within the limit is read.
    auto bytes = foundation::readRegularFile(hostFile, kMaximumFileBytes);
    if (!bytes || bytes->empty()) return std::nullopt;
    return decodeImage(
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()));
}

}  // namespace imageio
