#include "tests/platform/imageio/IconAndTiffWriters.h"

#include <atomic>
#include <filesystem>

#include <unistd.h>

#include <tiffio.h>

namespace testimages {

namespace {

void putLE(Bytes& out, std::size_t at, std::uint32_t value, unsigned width) {
    for (unsigned i = 0; i < width; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::size_t rowBytes(std::uint32_t width, unsigned bits) { return (std::size_t{width} * bits + 31) / 32 * 4; }

}  // namespace

Bytes writeBmp(const imageio::CGImage& image, bool topDown) {
    unsigned bits = image.channels() * 8;
    std::size_t stride = rowBytes(image.width, bits);
    Bytes out(54 + stride * image.height);
    out[0] = 'B';
    out[1] = 'M';
    putLE(out, 2, static_cast<std::uint32_t>(out.size()), 4);
    putLE(out, 10, 54, 4);
    putLE(out, 14, 40, 4);
    putLE(out, 18, image.width, 4);
    putLE(out, 22, topDown ? static_cast<std::uint32_t>(-static_cast<std::int32_t>(image.height)) : image.height, 4);
    putLE(out, 26, 1, 2);
    putLE(out, 28, bits, 2);
    putLE(out, 34, static_cast<std::uint32_t>(stride * image.height), 4);
    for (std::uint32_t y = 0; y < image.height; ++y) {
        std::uint8_t* row = out.data() + 54 + (topDown ? y : image.height - 1 - y) * stride;
        for (std::uint32_t x = 0; x < image.width; ++x) {
            const std::uint8_t* pixel = image.pixels.data() + (std::size_t{y} * image.width + x) * image.channels();
            std::uint8_t* stored = row + x * image.channels();
            stored[0] = pixel[2];  // BGR(A)
            stored[1] = pixel[1];
            stored[2] = pixel[0];
            if (image.channels() == 4) stored[3] = pixel[3];
        }
    }
    return out;
}

Bytes iconBitmap(const imageio::CGImage& image, bool (*transparent)(std::uint32_t, std::uint32_t)) {
    Bytes bmp = writeBmp(image);
    Bytes dib(bmp.begin() + 14, bmp.end());
    putLE(dib, 8, image.height * 2, 4);
    std::size_t stride = rowBytes(image.width, 1);
    Bytes mask(stride * image.height);
    for (std::uint32_t y = 0; y < image.height; ++y)
        for (std::uint32_t x = 0; x < image.width; ++x)
            if (transparent(x, y)) mask[(image.height - 1 - y) * stride + x / 8] |= 0x80 >> (x % 8);
    dib.insert(dib.end(), mask.begin(), mask.end());
    return dib;
}

Bytes writeIco(const std::vector<IcoEntry>& entries) {
    Bytes out(6 + 16 * entries.size());
    putLE(out, 2, 1, 2);
    putLE(out, 4, static_cast<std::uint32_t>(entries.size()), 2);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::size_t at = 6 + 16 * i;
        out[at] = static_cast<std::uint8_t>(entries[i].width);  // 256 is written as 0
        out[at + 1] = static_cast<std::uint8_t>(entries[i].height);
        putLE(out, at + 4, 1, 2);
        putLE(out, at + 6, entries[i].bitsPerPixel, 2);
        putLE(out, at + 8, static_cast<std::uint32_t>(entries[i].payload.size()), 4);
        putLE(out, at + 12, static_cast<std::uint32_t>(out.size()), 4);
        out.insert(out.end(), entries[i].payload.begin(), entries[i].payload.end());
    }
    return out;
}

Bytes writeTiffWithLibtiff(const imageio::CGImage& image, int orientation) {
    static std::atomic<int> written{0};
    auto path = std::filesystem::temp_directory_path() /
                ("snapfold-tiff-" + std::to_string(::getpid()) + "-" + std::to_string(written++) + ".tif");
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    if (!tiff) return {};
    std::uint16_t samples = static_cast<std::uint16_t>(image.channels());
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, image.width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, image.height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, samples >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, orientation);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 3);
    if (image.hasAlpha()) {
        std::uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    for (std::uint32_t row = 0; row < image.height; ++row)
        TIFFWriteScanline(tiff, const_cast<std::uint8_t*>(image.pixels.data() + row * image.rowBytes()), row, 0);
    TIFFClose(tiff);
    Bytes bytes = readFile(path.string());
    std::filesystem::remove(path);
    return bytes;
}

}  // namespace testimages
