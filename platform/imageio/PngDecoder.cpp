// PNG through libpng, every colour type and bit depth normalised to 8 bits per
// component. libpng reports errors by longjmp, so the function that holds the
// setjmp keeps only plain C state; the bitmap and the row table it fills
// belong to the caller.
#include "platform/imageio/BitmapMemory.h"
#include "platform/imageio/Decoders.h"

#include <csetjmp>
#include <cstring>
#include <vector>

#include <png.h>

namespace imageio::detail {

namespace {

struct MemoryReader {
    std::span<const std::uint8_t> bytes;
    std::size_t offset = 0;
};

void readFromMemory(png_structp png, png_bytep destination, png_size_t length) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (length > reader->bytes.size() - reader->offset) png_error(png, "truncated");
    std::memcpy(destination, reader->bytes.data() + reader->offset, length);
    reader->offset += length;
}

[[noreturn]] void onError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
// Warnings concern ancillary chunks, which never change the pixels.
void onWarning(png_structp, png_const_charp) {}

struct DecodeTarget {
    CGImage image;
    std::vector<png_bytep> rows;
};

PixelFormat formatForChannels(png_byte channels) {
    switch (channels) {
    case 1: return PixelFormat::Gray8;
    case 2: return PixelFormat::GrayAlpha8;
    case 3: return PixelFormat::RGB8;
    default: return PixelFormat::RGBA8;
    }
}

bool decodeInto(std::span<const std::uint8_t> bytes, DecodeTarget& target) {
    MemoryReader reader{bytes, 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    // The pixel-count limit is checked once the header is read.
    png_set_user_limits(png, kMaximumPngSide, kMaximumPngSide);
    png_set_read_fn(png, &reader, readFromMemory);
    png_read_info(png, info);

    png_uint_32 width = png_get_image_width(png, info);
    png_uint_32 height = png_get_image_height(png, info);
    int colorType = png_get_color_type(png, info);
    int bitDepth = png_get_bit_depth(png, info);
    if (!acceptableDimensions(width, height)) png_error(png, "too large");

    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    // Scaling rounds (65535 -> 255, 32896 -> 128) where stripping would truncate.
    if (bitDepth == 16) png_set_scale_16(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    png_byte channels = png_get_channels(png, info);
    if (channels < 1 || channels > 4 || png_get_bit_depth(png, info) != 8 ||
        png_get_rowbytes(png, info) != std::size_t{width} * channels)
        png_error(png, "unexpected layout");

    target.image.width = width;
    target.image.height = height;
    target.image.format = formatForChannels(channels);
    sizePixels(target.image);
    target.rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) target.rows[y] = target.image.pixels.data() + y * target.image.rowBytes();
    png_read_image(png, target.rows.data());
    // Reading to IEND checks the last chunks too, so a file cut after its
    // image data is refused like any other truncated file.
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

}  // namespace

std::optional<CGImage> decodePng(std::span<const std::uint8_t> bytes) {
    DecodeTarget target;
    if (!decodeInto(bytes, target)) return std::nullopt;
    return std::move(target.image);
}

}  // namespace imageio::detail
