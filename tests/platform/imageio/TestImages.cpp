#include "tests/platform/imageio/TestImages.h"

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include <cstdio>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <webp/encode.h>
#include <webp/mux.h>

namespace testimages {

using imageio::CGImage;
using imageio::PixelFormat;

// ---- PNG -------------------------------------------------------------------

namespace {

void appendToVector(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void noFlush(png_structp) {}

struct PreparedPng {
    std::uint32_t width = 0, height = 0;
    int colorType = 0, bitDepth = 8;
    bool interlaced = false;
    std::vector<Bytes> rows;
    std::vector<png_color> palette;
    std::vector<png_byte> paletteAlpha;
    bool hasTransparentColor = false;
    png_color_16 transparentColor{};
    const PngWriteOptions* options = nullptr;
};

// Holds nothing but C state across its setjmp; everything it reads belongs to the caller.
bool writePrepared(const PreparedPng& prepared, Bytes& out) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &out, appendToVector, noFlush);
    png_set_IHDR(png, info, prepared.width, prepared.height, prepared.bitDepth, prepared.colorType,
                 prepared.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!prepared.palette.empty())
        png_set_PLTE(png, info, prepared.palette.data(), static_cast<int>(prepared.palette.size()));
    if (!prepared.paletteAlpha.empty())
        png_set_tRNS(png, info, prepared.paletteAlpha.data(), static_cast<int>(prepared.paletteAlpha.size()), nullptr);
    if (prepared.hasTransparentColor) png_set_tRNS(png, info, nullptr, 0, &prepared.transparentColor);
    const PngWriteOptions& options = *prepared.options;
    if (options.physicalSize)
        png_set_pHYs(png, info, (*options.physicalSize)[0], (*options.physicalSize)[1],
                     static_cast<int>((*options.physicalSize)[2]));
    if (options.gamma) png_set_gAMA_fixed(png, info, static_cast<png_fixed_point>(*options.gamma));
    if (options.chromaticities) {
        const auto& c = *options.chromaticities;
        png_set_cHRM_fixed(png, info, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]);
    }
    if (options.srgbIntent) png_set_sRGB(png, info, *options.srgbIntent);
    png_write_info(png, info);
    if (prepared.bitDepth < 8) png_set_packing(png);
    std::vector<png_bytep> rowPointers;
    for (const auto& row : prepared.rows) rowPointers.push_back(const_cast<png_bytep>(row.data()));
    png_write_image(png, rowPointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

struct ReadTarget {
    LibpngReadResult result;
    std::vector<png_bytep> rows;
    std::span<const std::uint8_t> input;
    std::size_t offset = 0;
};

void readFromTarget(png_structp png, png_bytep destination, png_size_t length) {
    auto* target = static_cast<ReadTarget*>(png_get_io_ptr(png));
    if (length > target->input.size() - target->offset) png_error(png, "truncated");
    std::memcpy(destination, target->input.data() + target->offset, length);
    target->offset += length;
}
void quietWarning(png_structp, png_const_charp) {}

bool readPrepared(ReadTarget& target) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, quietWarning);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &target, readFromTarget);
    png_read_info(png, info);
    auto& result = target.result;
    result.colorType = png_get_color_type(png, info);
    result.bitDepth = png_get_bit_depth(png, info);
    result.interlace = png_get_interlace_type(png, info);
    if (result.bitDepth != 8 || result.colorType == PNG_COLOR_TYPE_PALETTE) png_error(png, "only 8-bit direct colour");
    result.image.width = png_get_image_width(png, info);
    result.image.height = png_get_image_height(png, info);
    switch (result.colorType) {
    case PNG_COLOR_TYPE_GRAY: result.image.format = PixelFormat::Gray8; break;
    case PNG_COLOR_TYPE_GRAY_ALPHA: result.image.format = PixelFormat::GrayAlpha8; break;
    case PNG_COLOR_TYPE_RGB: result.image.format = PixelFormat::RGB8; break;
    default: result.image.format = PixelFormat::RGBA8; break;
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    result.image.pixels.resize(result.image.rowBytes() * result.image.height);
    target.rows.resize(result.image.height);
    for (std::uint32_t y = 0; y < result.image.height; ++y)
        target.rows[y] = result.image.pixels.data() + y * result.image.rowBytes();
    png_read_image(png, target.rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

}  // namespace

Bytes writePngWithLibpng(const CGImage& image, const PngWriteOptions& options) {
    PreparedPng prepared;
    prepared.width = image.width;
    prepared.height = image.height;
    prepared.bitDepth = options.bitDepth;
    prepared.interlaced = options.interlaced;
    prepared.options = &options;
    if (options.palette) {
        prepared.colorType = PNG_COLOR_TYPE_PALETTE;
        for (std::uint32_t y = 0; y < image.height; ++y) {
            Bytes row;
            for (std::uint32_t x = 0; x < image.width; ++x) {
                Rgba c = pixelAt(image, x, y);
                auto found = std::find_if(prepared.palette.begin(), prepared.palette.end(), [&](const png_color& p) {
                    return p.red == c.r && p.green == c.g && p.blue == c.b;
                });
                if (found == prepared.palette.end()) {
                    if (prepared.palette.size() == 256) throw std::runtime_error("more than 256 colours");
                    prepared.palette.push_back({c.r, c.g, c.b});
                    found = prepared.palette.end() - 1;
                }
                row.push_back(static_cast<std::uint8_t>(found - prepared.palette.begin()));
            }
            prepared.rows.push_back(std::move(row));
        }
        if (options.transparentColor) {
            const auto& t = *options.transparentColor;
            for (const auto& entry : prepared.palette)
                prepared.paletteAlpha.push_back(entry.red == t[0] && entry.green == t[1] && entry.blue == t[2] ? 0
                                                                                                               : 255);
        }
    } else {
        switch (image.format) {
        case PixelFormat::Gray8: prepared.colorType = PNG_COLOR_TYPE_GRAY; break;
        case PixelFormat::GrayAlpha8: prepared.colorType = PNG_COLOR_TYPE_GRAY_ALPHA; break;
        case PixelFormat::RGB8: prepared.colorType = PNG_COLOR_TYPE_RGB; break;
        case PixelFormat::RGBA8: prepared.colorType = PNG_COLOR_TYPE_RGB_ALPHA; break;
        }
        for (std::uint32_t y = 0; y < image.height; ++y) {
            const std::uint8_t* source = image.pixels.data() + y * image.rowBytes();
            Bytes row;
            for (std::size_t i = 0; i < image.rowBytes(); ++i) {
                if (options.bitDepth == 16) {
                    row.push_back(source[i]);  // v * 257 is v in both bytes
                    row.push_back(source[i]);
                } else {
                    row.push_back(static_cast<std::uint8_t>(source[i] >> (8 - options.bitDepth)));
                }
            }
            prepared.rows.push_back(std::move(row));
        }
        if (options.transparentColor) {
            prepared.hasTransparentColor = true;
            const auto& t = *options.transparentColor;
            prepared.transparentColor.gray = t[0];
            prepared.transparentColor.red = t[0];
            prepared.transparentColor.green = t[1];
            prepared.transparentColor.blue = t[2];
        }
    }
    Bytes out;
    if (!writePrepared(prepared, out)) throw std::runtime_error("libpng refused to write");
    return out;
}

std::optional<LibpngReadResult> readPngWithLibpng(std::span<const std::uint8_t> png) {
    ReadTarget target;
    target.input = png;
    if (!readPrepared(target)) return std::nullopt;
    return std::move(target.result);
}

// ---- GIF -------------------------------------------------------------------

namespace {

int appendGifBytes(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<Bytes*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

}  // namespace

Bytes writeGifWithGiflib(int screenWidth, int screenHeight, const std::vector<Rgba>& palette,
                         const std::vector<GifFrame>& frames) {
    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, appendGifBytes, &error);
    if (!gif) throw std::runtime_error("EGifOpen failed");
    // A colour table holds a power of two entries.
    int size = 2;
    while (size < static_cast<int>(palette.size())) size *= 2;
    std::vector<GifColorType> colors(static_cast<std::size_t>(size));
    for (std::size_t i = 0; i < palette.size(); ++i) colors[i] = {palette[i].r, palette[i].g, palette[i].b};
    ColorMapObject* map = GifMakeMapObject(size, colors.data());
    EGifSetGifVersion(gif, true);
    bool ok = EGifPutScreenDesc(gif, screenWidth, screenHeight, 8, 0, map) != GIF_ERROR;
    for (const GifFrame& frame : frames) {
        if (frame.transparentIndex) {
            GraphicsControlBlock control{};
            control.DisposalMode = DISPOSAL_UNSPECIFIED;
            control.TransparentColor = *frame.transparentIndex;
            GifByteType extension[4];
            EGifGCBToExtension(&control, extension);
            ok = ok && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) != GIF_ERROR;
        }
        ok = ok && EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, frame.interlaced, nullptr) !=
                       GIF_ERROR;
        // An interlaced frame is written in pass order: rows 0, 8, ...; 4, 12, ...; 2, 6, ...; 1, 3, ...
        std::vector<int> order;
        if (frame.interlaced) {
            for (int start : {0, 4, 2, 1})
                for (int row = start; row < frame.height; row += start == 0 || start == 4 ? 8 : start == 2 ? 4 : 2)
                    order.push_back(row);
        } else {
            for (int row = 0; row < frame.height; ++row) order.push_back(row);
        }
        for (int row : order) {
            auto* line = const_cast<GifPixelType*>(frame.indices.data() + static_cast<std::size_t>(row) * frame.width);
            ok = ok && EGifPutLine(gif, line, frame.width) != GIF_ERROR;
        }
    }
    GifFreeMapObject(map);
    ok = EGifCloseFile(gif, &error) != GIF_ERROR && ok;
    if (!ok) throw std::runtime_error("giflib refused to write");
    return out;
}

// ---- WebP ------------------------------------------------------------------

Bytes writeWebPWithLibwebp(const CGImage& image, bool lossless, int quality) {
    WebPConfig config;
    WebPConfigInit(&config);
    config.lossless = lossless;
    config.quality = static_cast<float>(quality);
    // Keep the colour of fully transparent pixels too, so lossless means exact.
    config.exact = 1;
    WebPPicture picture;
    WebPPictureInit(&picture);
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.use_argb = lossless;
    int stride = static_cast<int>(image.rowBytes());
    bool imported = image.format == PixelFormat::RGBA8 ? WebPPictureImportRGBA(&picture, image.pixels.data(), stride)
                                                       : WebPPictureImportRGB(&picture, image.pixels.data(), stride);
    WebPMemoryWriter writer;
    WebPMemoryWriterInit(&writer);
    picture.writer = WebPMemoryWrite;
    picture.custom_ptr = &writer;
    bool ok = imported && WebPEncode(&config, &picture);
    Bytes out(writer.mem, writer.mem + writer.size);
    WebPMemoryWriterClear(&writer);
    WebPPictureFree(&picture);
    if (!ok) throw std::runtime_error("libwebp refused to write");
    return out;
}

Bytes writeAnimatedWebPWithLibwebp(const std::vector<CGImage>& frames) {
    WebPAnimEncoderOptions options;
    WebPAnimEncoderOptionsInit(&options);
    int w = static_cast<int>(frames.at(0).width), h = static_cast<int>(frames.at(0).height);
    WebPAnimEncoder* encoder = WebPAnimEncoderNew(w, h, &options);
    WebPConfig config;
    WebPConfigInit(&config);
    config.lossless = 1;
    int timestamp = 0;
    for (const CGImage& frame : frames) {
        WebPPicture picture;
        WebPPictureInit(&picture);
        picture.width = w;
        picture.height = h;
        picture.use_argb = 1;
        WebPPictureImportRGBA(&picture, frame.pixels.data(), static_cast<int>(frame.rowBytes()));
        WebPAnimEncoderAdd(encoder, &picture, timestamp, &config);
        WebPPictureFree(&picture);
        timestamp += 100;
    }
    WebPAnimEncoderAdd(encoder, nullptr, timestamp, nullptr);
    WebPData data;
    WebPDataInit(&data);
    bool ok = WebPAnimEncoderAssemble(encoder, &data);
    Bytes out(data.bytes, data.bytes + data.size);
    WebPDataClear(&data);
    WebPAnimEncoderDelete(encoder);
    if (!ok) throw std::runtime_error("libwebp refused to write the animation");
    return out;
}

// ---- JPEG ------------------------------------------------------------------

Bytes writeCmykJpeg(std::uint32_t width, std::uint32_t height, std::array<std::uint8_t, 4> storedSamples) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    Bytes row;
    for (std::uint32_t x = 0; x < width; ++x) row.insert(row.end(), storedSamples.begin(), storedSamples.end());
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    Bytes jpeg(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return jpeg;
}

Bytes withApp1Segment(const Bytes& jpeg, const std::vector<std::uint8_t>& payload) {
    Bytes out(jpeg.begin(), jpeg.begin() + 2);  // SOI
    std::size_t length = payload.size() + 2;
    out.push_back(0xFF);
    out.push_back(0xE1);  // APP1
    out.push_back(static_cast<std::uint8_t>(length >> 8));
    out.push_back(static_cast<std::uint8_t>(length));
    out.insert(out.end(), payload.begin(), payload.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

// ---- Bitmaps ---------------------------------------------------------------

CGImage solidImage(std::uint32_t width, std::uint32_t height, PixelFormat format, Rgba color) {
    CGImage image;
    image.width = width;
    image.height = height;
    image.format = format;
    image.pixels.resize(image.rowBytes() * height);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) setPixel(image, x, y, color);
    return image;
}

Rgba pixelAt(const CGImage& image, std::uint32_t x, std::uint32_t y) {
    const std::uint8_t* p = image.pixels.data() + y * image.rowBytes() + std::size_t{x} * image.channels();
    switch (image.format) {
    case PixelFormat::Gray8: return {p[0], p[0], p[0], 255};
    case PixelFormat::GrayAlpha8: return {p[0], p[0], p[0], p[1]};
    case PixelFormat::RGB8: return {p[0], p[1], p[2], 255};
    case PixelFormat::RGBA8: return {p[0], p[1], p[2], p[3]};
    }
    return {};
}

void setPixel(CGImage& image, std::uint32_t x, std::uint32_t y, Rgba color) {
    std::uint8_t* p = image.pixels.data() + y * image.rowBytes() + std::size_t{x} * image.channels();
    switch (image.format) {
    case PixelFormat::Gray8: p[0] = color.r; break;
    case PixelFormat::GrayAlpha8:
        p[0] = color.r;
        p[1] = color.a;
        break;
    case PixelFormat::RGB8:
        p[0] = color.r;
        p[1] = color.g;
        p[2] = color.b;
        break;
    case PixelFormat::RGBA8:
        p[0] = color.r;
        p[1] = color.g;
        p[2] = color.b;
        p[3] = color.a;
        break;
    }
}

double meanAbsoluteDifference(const CGImage& a, const CGImage& b) {
    if (a.width != b.width || a.height != b.height || a.format != b.format || a.pixels.size() != b.pixels.size())
        return 1e9;
    double sum = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) sum += std::abs(int{a.pixels[i]} - int{b.pixels[i]});
    return a.pixels.empty() ? 0 : sum / static_cast<double>(a.pixels.size());
}

Bytes readFile(const std::string& hostPath) {
    std::ifstream in(hostPath, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& hostPath, std::span<const std::uint8_t> bytes) {
    std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace testimages
