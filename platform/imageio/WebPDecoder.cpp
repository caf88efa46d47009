// WebP through libwebp: still images directly, animations through the
// animation decoder, which composes the first frame onto its canvas.
#include "platform/imageio/Decoders.h"

#include <cstring>
#include <memory>

#include <webp/decode.h>
#include <webp/demux.h>

namespace imageio::detail {

namespace {

std::optional<CGImage> decodeFirstAnimationFrame(std::span<const std::uint8_t> bytes) {
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) return std::nullopt;
    options.color_mode = MODE_RGBA;
    options.use_threads = 0;
    WebPData data{bytes.data(), bytes.size()};
    std::unique_ptr<WebPAnimDecoder, decltype(&WebPAnimDecoderDelete)> decoder(WebPAnimDecoderNew(&data, &options),
                                                                               &WebPAnimDecoderDelete);
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info)) return std::nullopt;
    if (!acceptableDimensions(info.canvas_width, info.canvas_height)) return std::nullopt;
    std::uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp) || !canvas) return std::nullopt;

    CGImage image;
    image.width = info.canvas_width;
    image.height = info.canvas_height;
    image.format = PixelFormat::RGBA8;
    image.pixels.assign(canvas, canvas + image.rowBytes() * image.height);
    return image;
}

}  // namespace

std::optional<CGImage> decodeWebP(std::span<const std::uint8_t> bytes) {
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(bytes.data(), bytes.size(), &features) != VP8_STATUS_OK) return std::nullopt;
    if (features.has_animation) return decodeFirstAnimationFrame(bytes);
    if (features.width <= 0 || features.height <= 0 ||
        !acceptableDimensions(static_cast<std::uint64_t>(features.width), static_cast<std::uint64_t>(features.height)))
        return std::nullopt;

    CGImage image;
    image.width = static_cast<std::uint32_t>(features.width);
    image.height = static_cast<std::uint32_t>(features.height);
    image.format = features.has_alpha ? PixelFormat::RGBA8 : PixelFormat::RGB8;
    image.pixels.resize(image.rowBytes() * image.height);
    int stride = static_cast<int>(image.rowBytes());
    // libwebp refuses data that ends before the image does (not enough data).
    std::uint8_t* decoded =
        features.has_alpha
            ? WebPDecodeRGBAInto(bytes.data(), bytes.size(), image.pixels.data(), image.pixels.size(), stride)
            : WebPDecodeRGBInto(bytes.data(), bytes.size(), image.pixels.data(), image.pixels.size(), stride);
    if (!decoded) return std::nullopt;
    return image;
}

}  // namespace imageio::detail
