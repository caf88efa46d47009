// TIFF through libtiff, read from memory. The first image of the file is
// decoded in stored row order and its Orientation tag is handed on, as a
// JPEG's EXIF orientation is, for the viewer to apply. Plain 8-bit RGB and
// RGBA strips are read as stored, keeping unassociated alpha exact; every
// other layout (palettes, gray, 16-bit, tiles, YCbCr, CMYK) goes through
// libtiff's RGBA reader, whose premultiplied output is turned back into
// straight alpha.
#include "platform/imageio/BitmapMemory.h"
#include "platform/imageio/Decoders.h"

#include <cstdarg>
#include <cstring>
#include <memory>

#include <tiffio.h>

namespace imageio::detail {

namespace {

// libtiff's own buffers (strips, tiles, tag arrays) stay far below this for
// any picture under the pixel limit; a header asking for more is hostile.
constexpr tmsize_t kMaximumLibtiffAllocation = 256 * 1024 * 1024;

struct MemoryFile {
    std::span<const std::uint8_t> bytes;
    toff_t offset = 0;
    bool failed = false;  // libtiff reported an error: a corrupt or truncated file
};

tmsize_t readMemory(thandle_t handle, void* buffer, tmsize_t size) {
    auto* file = static_cast<MemoryFile*>(handle);
    if (size < 0 || file->offset >= file->bytes.size()) return 0;
    auto count = std::min<toff_t>(static_cast<toff_t>(size), file->bytes.size() - file->offset);
    std::memcpy(buffer, file->bytes.data() + file->offset, count);
    file->offset += count;
    return static_cast<tmsize_t>(count);
}
tmsize_t refuseWrite(thandle_t, void*, tmsize_t) { return -1; }
toff_t seekMemory(thandle_t handle, toff_t offset, int whence) {
    auto* file = static_cast<MemoryFile*>(handle);
    toff_t base = whence == SEEK_CUR ? file->offset : whence == SEEK_END ? file->bytes.size() : 0;
    file->offset = base + offset;
    return file->offset;
}
int closeMemory(thandle_t) { return 0; }
toff_t sizeOfMemory(thandle_t handle) { return static_cast<MemoryFile*>(handle)->bytes.size(); }

int onError(TIFF*, void* userData, const char*, const char*, va_list) {
    static_cast<MemoryFile*>(userData)->failed = true;
    return 1;  // handled: nothing reaches standard error
}
// Warnings concern tags that do not change the pixels.
int onWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

using TiffHandle = std::unique_ptr<TIFF, decltype(&TIFFClose)>;

TiffHandle openFromMemory(MemoryFile& file) {
    std::unique_ptr<TIFFOpenOptions, decltype(&TIFFOpenOptionsFree)> options(TIFFOpenOptionsAlloc(),
                                                                             &TIFFOpenOptionsFree);
    if (!options) return TiffHandle(nullptr, &TIFFClose);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), kMaximumLibtiffAllocation);
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), onError, &file);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), onWarning, &file);
    // "m": never map the caller's bytes as a file.
    return TiffHandle(TIFFClientOpenExt("memory", "rm", &file, readMemory, refuseWrite, seekMemory, closeMemory,
                                        sizeOfMemory, nullptr, nullptr, options.get()),
                      &TIFFClose);
}

bool isPlainRgbStrips(TIFF* tiff) {
    std::uint16_t bits = 0, samples = 0, photometric = 0, planar = 0, extraCount = 0;
    std::uint16_t* extraTypes = nullptr;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes);
    if (!TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric)) return false;
    bool straightAlphaOrNone = samples == 3 || (samples == 4 && extraCount == 1 && extraTypes &&
                                                extraTypes[0] == EXTRASAMPLE_UNASSALPHA);
    return !TIFFIsTiled(tiff) && bits == 8 && photometric == PHOTOMETRIC_RGB && planar == PLANARCONFIG_CONTIG &&
           straightAlphaOrNone;
}

std::optional<CGImage> readPlainRgbStrips(TIFF* tiff, const MemoryFile& file, CGImage image) {
    std::uint16_t samples = 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    image.format = samples == 4 ? PixelFormat::RGBA8 : PixelFormat::RGB8;
    if (TIFFScanlineSize(tiff) != static_cast<tmsize_t>(image.rowBytes())) return std::nullopt;
    sizePixels(image);
    for (std::uint32_t row = 0; row < image.height; ++row) {
        if (TIFFReadScanline(tiff, image.pixels.data() + row * image.rowBytes(), row, 0) < 0 || file.failed)
            return std::nullopt;
    }
    return image;
}

std::optional<CGImage> readThroughRgbaReader(TIFF* tiff, const MemoryFile& file, CGImage image) {
    char message[1024];
    TIFFRGBAImage reader;
    if (!TIFFRGBAImageOK(tiff, message) || !TIFFRGBAImageBegin(&reader, tiff, 0, message)) return std::nullopt;
    // Asking for the file's own orientation keeps the rows as stored.
    reader.req_orientation = reader.orientation;
    bool hasAlpha = reader.alpha != 0;
    std::vector<std::uint32_t> raster(std::size_t{image.width} * image.height);
    int ok = TIFFRGBAImageGet(&reader, raster.data(), image.width, image.height);
    TIFFRGBAImageEnd(&reader);
    if (!ok || file.failed) return std::nullopt;

    image.format = hasAlpha ? PixelFormat::RGBA8 : PixelFormat::RGB8;
    sizePixels(image);
    std::uint8_t* out = image.pixels.data();
    for (std::uint32_t packed : raster) {
        std::uint32_t alpha = TIFFGetA(packed);
        for (std::uint32_t component : {TIFFGetR(packed), TIFFGetG(packed), TIFFGetB(packed)}) {
            bool premultiplied = hasAlpha && alpha != 255;
            std::uint32_t straight = !premultiplied ? component
                                     : alpha == 0   ? 0
                                                  : std::min<std::uint32_t>(255, (component * 255 + alpha / 2) / alpha);
            *out++ = static_cast<std::uint8_t>(straight);
        }
        if (hasAlpha) *out++ = static_cast<std::uint8_t>(alpha);
    }
    return image;
}

}  // namespace

std::optional<CGImage> decodeTiff(std::span<const std::uint8_t> bytes, int& orientation) {
    MemoryFile file{bytes};
    TiffHandle tiff = openFromMemory(file);
    if (!tiff || file.failed) return std::nullopt;

    std::uint32_t width = 0, height = 0;
    if (!TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width) ||
        !TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height) || !acceptableDimensions(width, height))
        return std::nullopt;
    std::uint16_t tag = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_ORIENTATION, &tag);
    // The tag's values 1 to 8 are the EXIF orientations; anything else is taken as upright.
    orientation = tag >= 1 && tag <= 8 ? tag : 1;

    CGImage image;
    image.width = width;
    image.height = height;
    return isPlainRgbStrips(tiff.get()) ? readPlainRgbStrips(tiff.get(), file, std::move(image))
                                        : readThroughRgbaReader(tiff.get(), file, std::move(image));
}

}  // namespace imageio::detail
