#include "bench/imageio/ReferenceCodecs.h"

#include <cstdio>
#include <stdexcept>

#include <jpeglib.h>
#include <png.h>

namespace bench {

namespace {

void appendToVector(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void noFlush(png_structp) {}

int colorTypeOf(imageio::PixelFormat format) {
    switch (format) {
    case imageio::PixelFormat::Gray8: return PNG_COLOR_TYPE_GRAY;
    case imageio::PixelFormat::GrayAlpha8: return PNG_COLOR_TYPE_GRAY_ALPHA;
    case imageio::PixelFormat::RGB8: return PNG_COLOR_TYPE_RGB;
    case imageio::PixelFormat::RGBA8: return PNG_COLOR_TYPE_RGB_ALPHA;
    }
    return PNG_COLOR_TYPE_RGB;
}

}  // namespace

std::vector<std::uint8_t> encodeWithLibpngDefaults(const imageio::CGImage& image) {
    std::vector<std::uint8_t> out;
    std::vector<png_bytep> rows(image.height);
    for (std::uint32_t y = 0; y < image.height; ++y)
        rows[y] = const_cast<png_bytep>(image.pixels.data() + y * image.rowBytes());
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng failed");
    }
    png_set_write_fn(png, &out, appendToVector, noFlush);
    png_set_IHDR(png, info, image.width, image.height, 8, colorTypeOf(image.format), PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

RawDecode decodeWithLibjpeg(std::span<const std::uint8_t> jpeg) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    RawDecode result;
    result.width = info.output_width;
    result.height = info.output_height;
    std::size_t rowBytes = std::size_t{info.output_width} * 3;
    result.pixels.reset(new std::uint8_t[rowBytes * info.output_height]);
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[16];
        JDIMENSION wanted = std::min<JDIMENSION>(16, info.output_height - info.output_scanline);
        for (JDIMENSION i = 0; i < wanted; ++i) rows[i] = result.pixels.get() + (info.output_scanline + i) * rowBytes;
        jpeg_read_scanlines(&info, rows, wanted);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return result;
}

}  // namespace bench
