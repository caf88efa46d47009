#include "tools/SampleJpegWriter.h"

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace sampleimages {

std::vector<std::uint8_t> exifOrientationPayload(int orientation, bool littleEndian) {
    std::vector<std::uint8_t> payload{'E', 'x', 'i', 'f', 0, 0};
    auto put16 = [&](unsigned value) {
        std::uint8_t high = static_cast<std::uint8_t>(value >> 8), low = static_cast<std::uint8_t>(value);
        payload.push_back(littleEndian ? low : high);
        payload.push_back(littleEndian ? high : low);
    };
    auto put32 = [&](std::uint32_t value) {
        put16(littleEndian ? value & 0xFFFF : value >> 16);
        put16(littleEndian ? value >> 16 : value & 0xFFFF);
    };
    put16(littleEndian ? 0x4949 : 0x4D4D);  // "II" or "MM"
    put16(42);
    put32(8);       // the first directory follows the header
    put16(1);       // one entry
    put16(0x0112);  // Orientation
    put16(3);       // SHORT
    put32(1);       // one value, stored in the entry itself
    put16(static_cast<unsigned>(orientation));
    put16(0);
    put32(0);  // no next directory
    return payload;
}

std::vector<std::uint8_t> encodeJpeg(const imageio::CGImage& image, int quality, std::optional<int> exifOrientation) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);

    bool gray = image.format == imageio::PixelFormat::Gray8 || image.format == imageio::PixelFormat::GrayAlpha8;
    info.image_width = image.width;
    info.image_height = image.height;
    info.input_components = gray ? 1 : 3;
    info.in_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    if (exifOrientation) {
        auto payload = exifOrientationPayload(*exifOrientation);
        jpeg_write_marker(&info, JPEG_APP0 + 1, payload.data(), static_cast<unsigned>(payload.size()));
    }

    // Rows are packed to the JPEG's components, dropping any alpha.
    std::vector<std::uint8_t> row(std::size_t{image.width} * info.input_components);
    const unsigned channels = image.channels();
    while (info.next_scanline < info.image_height) {
        const std::uint8_t* source = image.pixels.data() + info.next_scanline * image.rowBytes();
        for (std::uint32_t x = 0; x < image.width; ++x)
            for (int c = 0; c < info.input_components; ++c)
                row[std::size_t{x} * info.input_components + c] = source[std::size_t{x} * channels + c];
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<std::uint8_t> jpeg(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return jpeg;
}

}  // namespace sampleimages
