// The property dictionary of an encoded image, read from the format's own
// headers: PNG chunks, JPEG markers and EXIF, WebP's feature header. GIF is
// decoded, as its transparency is only known from the frame's control block.
#include "platform/imageio/CGImageSource.h"

#include "platform/imageio/Decoders.h"
#include "platform/imageio/ImageCodecs.h"
#include "platform/imageio/JpegHeader.h"
#include "platform/imageio/PngChunks.h"

#include <cmath>

#include <webp/decode.h>

namespace imageio {

struct CGImageSource {
    foundation::NSDataRef data;
    ImageFormat format;
};

namespace {

using foundation::NSDictionary;
using foundation::PlistValue;

void putCommon(NSDictionary& properties, std::uint32_t width, std::uint32_t height, int depth, const char* colorModel,
               bool hasAlpha) {
    properties[kCGImagePropertyPixelWidth] = PlistValue(std::int64_t{width});
    properties[kCGImagePropertyPixelHeight] = PlistValue(std::int64_t{height});
    properties[kCGImagePropertyDepth] = PlistValue(depth);
    properties[kCGImagePropertyColorModel] = PlistValue(colorModel);
    // The key is absent for opaque images rather than false.
    if (hasAlpha) properties[kCGImagePropertyHasAlpha] = PlistValue(true);
}

std::optional<NSDictionary> pngProperties(std::span<const std::uint8_t> bytes) {
    auto info = detail::readPngHeaderInfo(bytes);
    if (!info) return std::nullopt;
    bool gray = info->colorType == 0 || info->colorType == 4;
    bool alpha = info->colorType == 4 || info->colorType == 6 || info->hasTransparencyChunk;
    // A palette image's depth is that of its palette entries, not of its indices.
    int depth = info->colorType == 3 ? 8 : info->bitDepth;
    NSDictionary properties;
    putCommon(properties, info->width, info->height, depth,
              gray ? kCGImagePropertyColorModelGray : kCGImagePropertyColorModelRGB, alpha);

    NSDictionary png;
    png[kCGImagePropertyPNGInterlaceType] = PlistValue(int{info->interlaceMethod});
    if (info->physicalSize) {
        const auto& physical = *info->physicalSize;
        png[kCGImagePropertyPNGXPixelsPerMeter] = PlistValue(std::int64_t{physical.pixelsPerUnitX});
        png[kCGImagePropertyPNGYPixelsPerMeter] = PlistValue(std::int64_t{physical.pixelsPerUnitY});
        if (physical.unitIsMeter) {
            // 2835 pixels per meter is the usual spelling of 72 dpi; the
            // resolution is reported to the whole dot, as the phone does.
            constexpr double kMetersPerInch = 0.0254;
            properties[kCGImagePropertyDPIWidth] = PlistValue(
                static_cast<std::int64_t>(std::llround(physical.pixelsPerUnitX * kMetersPerInch)));
            properties[kCGImagePropertyDPIHeight] = PlistValue(
                static_cast<std::int64_t>(std::llround(physical.pixelsPerUnitY * kMetersPerInch)));
        }
    }
    if (info->gammaTimes100000) png[kCGImagePropertyPNGGamma] = PlistValue(*info->gammaTimes100000 / 100000.0);
    if (info->chromaticities) {
        PlistValue::Array values;
        for (std::uint32_t value : *info->chromaticities) values.emplace_back(value / 100000.0);
        png[kCGImagePropertyPNGChromaticities] = PlistValue(std::move(values));
    }
    if (info->srgbIntent) png[kCGImagePropertyPNGsRGBIntent] = PlistValue(int{*info->srgbIntent});
    properties[kCGImagePropertyPNGDictionary] = PlistValue(std::move(png));
    return properties;
}

std::optional<NSDictionary> jpegProperties(std::span<const std::uint8_t> bytes) {
    auto header = detail::readJpegHeader(bytes);
    if (!header || header->width == 0 || header->height == 0) return std::nullopt;
    const char* model = header->components == 1   ? kCGImagePropertyColorModelGray
                        : header->components == 4 ? kCGImagePropertyColorModelCMYK
                                                  : kCGImagePropertyColorModelRGB;
    NSDictionary properties;
    putCommon(properties, header->width, header->height, header->precision, model, false);
    if (header->exifOrientation) {
        properties[kCGImagePropertyOrientation] = PlistValue(*header->exifOrientation);
        properties[kCGImagePropertyTIFFDictionary] = PlistValue(
            NSDictionary{{kCGImagePropertyTIFFOrientation, PlistValue(*header->exifOrientation)}});
    }
    return properties;
}

std::optional<NSDictionary> gifProperties(std::span<const std::uint8_t> bytes) {
    auto image = detail::decodeGif(bytes);
    if (!image) return std::nullopt;
    NSDictionary properties;
    putCommon(properties, image->width, image->height, 8, kCGImagePropertyColorModelRGB, image->hasAlpha());
    return properties;
}

std::optional<NSDictionary> webpProperties(std::span<const std::uint8_t> bytes) {
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(bytes.data(), bytes.size(), &features) != VP8_STATUS_OK || features.width <= 0 ||
        features.height <= 0)
        return std::nullopt;
    NSDictionary properties;
    putCommon(properties, static_cast<std::uint32_t>(features.width), static_cast<std::uint32_t>(features.height), 8,
              kCGImagePropertyColorModelRGB, features.has_alpha != 0);
    return properties;
}

// BMP, TIFF and ICO: what the decoder made of them, since their headers
// allow too many layouts to describe without decoding. A TIFF's orientation
// tag is reported as a JPEG's EXIF orientation is.
std::optional<NSDictionary> decodedProperties(std::span<const std::uint8_t> bytes) {
    auto decoded = decodeImage(bytes);
    if (!decoded) return std::nullopt;
    const CGImage& image = *decoded->image;
    bool gray = image.format == PixelFormat::Gray8 || image.format == PixelFormat::GrayAlpha8;
    NSDictionary properties;
    putCommon(properties, image.width, image.height, 8,
              gray ? kCGImagePropertyColorModelGray : kCGImagePropertyColorModelRGB, image.hasAlpha());
    if (decoded->format == ImageFormat::TIFF) {
        properties[kCGImagePropertyOrientation] = PlistValue(decoded->exifOrientation);
        properties[kCGImagePropertyTIFFDictionary] = PlistValue(
            NSDictionary{{kCGImagePropertyTIFFOrientation, PlistValue(decoded->exifOrientation)}});
    }
    return properties;
}

}  // namespace

CGImageSourceRef CGImageSourceCreateWithData(const foundation::NSDataRef& data, const foundation::NSDictionary*) {
    if (!data) return nullptr;
    auto format = sniffImageFormat(*data);
    if (!format) return nullptr;
    return std::make_shared<const CGImageSource>(CGImageSource{data, *format});
}

std::size_t CGImageSourceGetCount(const CGImageSourceRef& source) { return source ? 1 : 0; }

std::optional<foundation::NSDictionary> CGImageSourceCopyPropertiesAtIndex(const CGImageSourceRef& source,
                                                                           std::size_t index,
                                                                           const foundation::NSDictionary*) {
    if (!source || index >= CGImageSourceGetCount(source)) return std::nullopt;
    std::span<const std::uint8_t> bytes(*source->data);
    switch (source->format) {
    case ImageFormat::PNG: return pngProperties(bytes);
    case ImageFormat::JPEG: return jpegProperties(bytes);
    case ImageFormat::GIF: return gifProperties(bytes);
    case ImageFormat::WebP: return webpProperties(bytes);
    case ImageFormat::BMP:
    case ImageFormat::TIFF:
    case ImageFormat::ICO: return decodedProperties(bytes);
    }
    return std::nullopt;
}

}  // namespace imageio
