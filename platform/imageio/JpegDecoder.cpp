// JPEG through libjpeg-turbo. libjpeg reports fatal errors through a callback
// that must not return, so the decoding itself happens in one function that
// holds nothing but plain C structures across its setjmp; every C++ object it
// writes to is made before and outlives it.
#include "platform/imageio/BitmapMemory.h"
#include "platform/imageio/Decoders.h"
#include "platform/imageio/JpegHeader.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace imageio::detail {

namespace {

// A hostile progressive file can hold thousands of tiny scans, each of which
// costs a pass over the whole coefficient buffer; real encoders write about ten.
constexpr int kMaximumScans = 1000;

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void onFatalError(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }

// Warnings ("premature end of data", "corrupt data: bad Huffman code") mean
// the pixels are partly made up; they are counted, never printed, and the
// caller refuses the image when there were any.
void onMessage(j_common_ptr info, int level) {
    if (level < 0) ++info->err->num_warnings;
}

void onProgress(j_common_ptr info) {
    auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > kMaximumScans) onFatalError(info);
}

// libjpeg hands CMYK out as stored; files with an Adobe marker (all that real
// encoders write) store it inverted.
void cmykToRgb(const std::uint8_t* cmyk, std::uint8_t* rgb, std::uint32_t width, bool inverted) {
    for (std::uint32_t x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
        unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
        for (int c = 0; c < 3; ++c) {
            unsigned ink = inverted ? cmyk[c] : 255u - cmyk[c];
            rgb[c] = static_cast<std::uint8_t>((ink * k + 127) / 255);
        }
    }
}

bool decompressInto(std::span<const std::uint8_t> bytes, CGImage& image, std::vector<std::uint8_t>& cmykRow) {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    jpeg_progress_mgr progress{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onFatalError;
    errors.base.emit_message = onMessage;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    progress.progress_monitor = onProgress;
    info.progress = &progress;
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);

    bool cmyk = info.num_components == 4;
    info.out_color_space = image.format == PixelFormat::Gray8 ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_width != image.width || info.output_height != image.height ||
        static_cast<unsigned>(info.output_components) != (cmyk ? 4u : image.channels())) {
        jpeg_destroy_decompress(&info);
        return false;
    }

    std::size_t rowBytes = image.rowBytes();
    while (info.output_scanline < info.output_height) {
        std::uint8_t* destination = image.pixels.data() + info.output_scanline * rowBytes;
        if (cmyk) {
            JSAMPROW row = cmykRow.data();
            if (jpeg_read_scanlines(&info, &row, 1) != 1) break;
            cmykToRgb(cmykRow.data(), destination, image.width, info.saw_Adobe_marker);
            continue;
        }
        // Several rows per call let libjpeg upsample and convert in larger runs.
        JSAMPROW rows[16];
        JDIMENSION wanted = std::min<JDIMENSION>(16, info.output_height - info.output_scanline);
        for (JDIMENSION i = 0; i < wanted; ++i) rows[i] = destination + i * rowBytes;
        if (jpeg_read_scanlines(&info, rows, wanted) == 0) break;
    }
    bool complete = info.output_scanline == info.output_height;
    if (complete) jpeg_finish_decompress(&info);
    bool clean = complete && errors.base.num_warnings == 0;
    jpeg_destroy_decompress(&info);
    return clean;
}

}  // namespace

std::optional<CGImage> decodeJpeg(std::span<const std::uint8_t> bytes) {
    auto header = readJpegHeader(bytes);
    if (!header || header->precision != 8 || !acceptableDimensions(header->width, header->height)) return std::nullopt;
    if (header->components != 1 && header->components != 3 && header->components != 4) return std::nullopt;

    CGImage image;
    image.width = header->width;
    image.height = header->height;
    image.format = header->components == 1 ? PixelFormat::Gray8 : PixelFormat::RGB8;
    sizePixels(image);
    std::vector<std::uint8_t> cmykRow(header->components == 4 ? std::size_t{image.width} * 4 : 0);
    if (!decompressInto(bytes, image, cmykRow)) return std::nullopt;
    return image;
}

}  // namespace imageio::detail
