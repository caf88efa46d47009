#include "platform/imageio/PngEncoder.h"
#include "platform/imageio/ImageCodecs.h"
#include "platform/imageio/Concurrently.h"
#include "platform/imageio/OwnEncodings.h"
#include "platform/imageio/PngFilterChoice.h"
#include "platform/imageio/RunLengthDeflate.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <thread>
#include <vector>

#include <libdeflate.h>

namespace imageio {

namespace {

constexpr std::array<std::uint8_t, 8> kSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint32_t kMaximumChunkLength = 0x7FFFFFFF;

std::uint8_t colorType(PixelFormat format) {
    switch (format) {
    case PixelFormat::Gray8: return 0;
    case PixelFormat::GrayAlpha8: return 4;
    case PixelFormat::RGB8: return 2;
    case PixelFormat::RGBA8: return 6;
    }
    return 6;
}

void putU32(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value >> 24);
    at[1] = static_cast<std::uint8_t>(value >> 16);
    at[2] = static_cast<std::uint8_t>(value >> 8);
    at[3] = static_cast<std::uint8_t>(value);
}

// Appends length, type, data and the CRC over type and data.
void appendChunk(foundation::NSData& out, const char (&type)[5], const std::uint8_t* data, std::size_t length) {
    std::size_t start = out.size();
    out.resize(start + 12 + length);
    std::uint8_t* chunk = out.data() + start;
    putU32(chunk, static_cast<std::uint32_t>(length));
    std::memcpy(chunk + 4, type, 4);
    if (length) std::memcpy(chunk + 8, data, length);
    putU32(chunk + 8 + length, static_cast<std::uint32_t>(libdeflate_crc32(0, chunk + 4, length + 4)));
}

// Writes one filtered row (without its filter-type byte). `previous` is the
// row above, all zeros for the first row, as the format defines.
void filterRow(PngRowFilter filter, const std::uint8_t* row, const std::uint8_t* previous, std::uint8_t* out,
               std::size_t rowBytes, std::size_t bpp) {
    switch (filter) {
    case PngRowFilter::None:
    case PngRowFilter::Adaptive:
        std::memcpy(out, row, rowBytes);
        return;
    case PngRowFilter::Sub:
        for (std::size_t i = 0; i < bpp; ++i) out[i] = row[i];
        for (std::size_t i = bpp; i < rowBytes; ++i) out[i] = static_cast<std::uint8_t>(row[i] - row[i - bpp]);
        return;
    case PngRowFilter::Up:
        for (std::size_t i = 0; i < rowBytes; ++i) out[i] = static_cast<std::uint8_t>(row[i] - previous[i]);
        return;
    case PngRowFilter::Average:
        for (std::size_t i = 0; i < bpp; ++i) out[i] = static_cast<std::uint8_t>(row[i] - (previous[i] >> 1));
        for (std::size_t i = bpp; i < rowBytes; ++i)
            out[i] = static_cast<std::uint8_t>(row[i] - ((row[i - bpp] + previous[i]) >> 1));
        return;
    case PngRowFilter::Paeth:
        for (std::size_t i = 0; i < bpp; ++i) out[i] = static_cast<std::uint8_t>(row[i] - previous[i]);
        for (std::size_t i = bpp; i < rowBytes; ++i)
            out[i] = static_cast<std::uint8_t>(row[i] - detail::paethPredictor(row[i - bpp], previous[i], previous[i - bpp]));
        return;
    }
}

// Writes the filter-type byte and the filtered row at `out`.
void writeFilteredRow(PngRowFilter filter, const std::uint8_t* row, const std::uint8_t* previous, std::uint8_t* out,
                      std::size_t rowBytes, std::size_t bpp) {
    if (filter == PngRowFilter::Adaptive) filter = detail::cheapestFilter(row, previous, rowBytes, bpp);
    out[0] = static_cast<std::uint8_t>(filter);
    filterRow(filter, row, previous, out + 1, rowBytes, bpp);
}

// One compressor per level and thread: allocating one costs more than
// compressing a small image, and a compressor must not be shared by threads.
libdeflate_compressor* compressorForLevel(int level) {
    struct Free {
        void operator()(libdeflate_compressor* compressor) const { libdeflate_free_compressor(compressor); }
    };
    thread_local std::array<std::unique_ptr<libdeflate_compressor, Free>, 13> compressors;
    auto& slot = compressors[static_cast<std::size_t>(level)];
    if (!slot) slot.reset(libdeflate_alloc_compressor(level));
    return slot.get();
}

// Rows [first, last) of the image, filtered: each a filter-type byte, then
// the row. The row above the first is read from the image, so parts of one
// image can be filtered independently.
std::vector<std::uint8_t> filterRows(const CGImage& image, PngRowFilter filter, std::uint32_t first, std::uint32_t last) {
    std::size_t rowBytes = image.rowBytes(), bpp = image.channels();
    std::vector<std::uint8_t> out((rowBytes + 1) * (last - first));
    std::vector<std::uint8_t> zeroRow(first == 0 ? rowBytes : 0);
    const std::uint8_t* previous = first == 0 ? zeroRow.data() : image.pixels.data() + (first - 1) * rowBytes;
    for (std::uint32_t y = first; y < last; ++y) {
        const std::uint8_t* row = image.pixels.data() + y * rowBytes;
        writeFilteredRow(filter, row, previous, out.data() + (y - first) * (rowBytes + 1), rowBytes, bpp);
        previous = row;
    }
    return out;
}

std::vector<std::uint8_t> compressWithLibdeflate(std::span<const std::uint8_t> filtered, int level) {
    libdeflate_compressor* compressor = compressorForLevel(std::clamp(level, 0, 12));
    if (!compressor) return {};
    std::vector<std::uint8_t> stream(libdeflate_zlib_compress_bound(compressor, filtered.size()));
    stream.resize(libdeflate_zlib_compress(compressor, filtered.data(), filtered.size(), stream.data(), stream.size()));
    return stream;
}

// One band of rows, filtered and coded, with what the zlib trailer needs.
struct CodedBand {
    std::vector<std::uint8_t> coded;
    std::uint32_t adler = 1;
    std::size_t filteredBytes = 0;
};

// Filters and codes the image in bands of about a mebibyte of rows, taken in
// turn by `threads` threads. A band's filtered rows live only while it is
// coded, so the encoder holds a few bands at a time, not a second bitmap.
std::vector<CodedBand> encodeRunLengthHuffmanBands(const CGImage& image, PngRowFilter filter, unsigned threads) {
    constexpr std::size_t kBandBytes = 1 << 20;
    std::size_t filteredRowBytes = image.rowBytes() + 1;
    auto rowsPerBand = static_cast<std::uint32_t>(std::max<std::size_t>(1, kBandBytes / filteredRowBytes));
    std::uint32_t bandCount = (image.height + rowsPerBand - 1) / rowsPerBand;
    std::vector<CodedBand> bands(bandCount);
    std::atomic<std::uint32_t> nextBand{0};
    detail::runConcurrently(std::min(threads, bandCount), [&](unsigned) {
        for (std::uint32_t k; (k = nextBand.fetch_add(1, std::memory_order_relaxed)) < bandCount;) {
            std::uint32_t first = k * rowsPerBand, last = std::min(image.height, first + rowsPerBand);
            auto filtered = filterRows(image, filter, first, last);
            bands[k].adler = static_cast<std::uint32_t>(libdeflate_adler32(1, filtered.data(), filtered.size()));
            bands[k].filteredBytes = filtered.size();
            bands[k].coded = detail::deflateRunLengthHuffman(filtered, k + 1 == bandCount);
        }
    });
    return bands;
}

// Whether libdeflate's string matching pays for its time on this picture:
// both compressors try a few bands of rows spread over the image, side by
// side, and the general one wins only when it saves at least a fifth. On a
// photo, grainy or from a JPEG, it costs five to seven times the run-length
// coder's time for a tenth or less; drawn pictures, screenshots and flat
// artwork, where it saves far more, are also where its search ends early.
// The trial runs libdeflate at its fastest level, which costs about what the
// run-length coder does: a picture where even that saves a fifth is one where
// the chosen level saves more.
bool matchesPayOff(const CGImage& image, PngRowFilter filter) {
    constexpr std::uint32_t kBands = 8, kBandRows = 8;
    constexpr double kWorthwhileSaving = 0.80;
    constexpr int kTrialLevel = 1;
    std::vector<std::uint8_t> sample;
    if (image.height <= kBands * kBandRows) {
        sample = filterRows(image, filter, 0, image.height);
    } else {
        for (std::uint32_t band = 0; band < kBands; ++band) {
            auto first = static_cast<std::uint32_t>(std::uint64_t{image.height - kBandRows} * band / (kBands - 1));
            auto rows = filterRows(image, filter, first, first + kBandRows);
            sample.insert(sample.end(), rows.begin(), rows.end());
        }
    }
    std::size_t runLength = 0, general = 0;
    // libdeflate runs on the calling thread, which keeps its compressor.
    detail::runConcurrently(2, [&](unsigned which) {
        if (which == 0) general = compressWithLibdeflate(sample, kTrialLevel).size();
        else runLength = detail::deflateRunLengthHuffman(sample, true).size();
    });
    return general > 0 && static_cast<double>(general) < kWorthwhileSaving * static_cast<double>(runLength);
}

// The threads the run-length coder runs on: small images are not worth one.
unsigned threadsFor(const PngEncoderSettings& settings, std::size_t bytes) {
    constexpr std::size_t kBytesWorthAThread = 1 << 20;
    if (bytes < kBytesWorthAThread) return 1;
    if (settings.threads) return settings.threads;
    return std::clamp(std::thread::hardware_concurrency(), 1u, 2u);
}

}  // namespace

foundation::NSDataRef encodePNG(const CGImage& image, const PngEncoderSettings& settings) {
    std::size_t rowBytes = image.rowBytes();
    if (image.width == 0 || image.height == 0 || image.width > kMaximumChunkLength ||
        image.height > kMaximumChunkLength || image.pixels.size() != rowBytes * image.height)
        return nullptr;

    // 1. Choose the compressor, then filter the rows and compress them as one zlib stream.
    PngDeflater deflater = settings.deflater;
    if (deflater == PngDeflater::Automatic)
        deflater = matchesPayOff(image, settings.filter) ? PngDeflater::Libdeflate
                                                                                  : PngDeflater::RunLengthHuffman;
    std::vector<std::uint8_t> stream;
    std::vector<CodedBand> bands;
    std::size_t streamBytes = 0;
    if (deflater == PngDeflater::Libdeflate) {
        stream = compressWithLibdeflate(filterRows(image, settings.filter, 0, image.height), settings.libdeflateLevel);
        if (stream.empty()) return nullptr;
        streamBytes = stream.size();
    } else {
        bands = encodeRunLengthHuffmanBands(image, settings.filter,
                                            threadsFor(settings, (rowBytes + 1) * image.height));
        streamBytes = sizeof detail::kZlibHeader + 4;
        for (const auto& band : bands) streamBytes += band.coded.size();
    }
    if (streamBytes > kMaximumChunkLength) return nullptr;

    // 2. The signature and the three chunks. The bands go straight into the
    //    IDAT chunk, each released once copied.
    auto png = std::make_shared<foundation::NSData>();
    png->reserve(kSignature.size() + 25 + 12 + streamBytes + 12);
    png->assign(kSignature.begin(), kSignature.end());
    std::array<std::uint8_t, 13> header{};
    putU32(header.data(), image.width);
    putU32(header.data() + 4, image.height);
    header[8] = 8;  // bits per component
    header[9] = colorType(image.format);
    // Compression, filter method and interlace stay 0: deflate, adaptive filtering, no interlace.
    appendChunk(*png, "IHDR", header.data(), header.size());
    if (!stream.empty()) {
        appendChunk(*png, "IDAT", stream.data(), stream.size());
    } else {
        std::size_t chunkStart = png->size();
        png->resize(chunkStart + 8);
        putU32(png->data() + chunkStart, static_cast<std::uint32_t>(streamBytes));
        std::memcpy(png->data() + chunkStart + 4, "IDAT", 4);
        png->insert(png->end(), std::begin(detail::kZlibHeader), std::end(detail::kZlibHeader));
        std::uint32_t adler = 1;
        for (auto& band : bands) {
            png->insert(png->end(), band.coded.begin(), band.coded.end());
            adler = detail::adler32Combine(adler, band.adler, band.filteredBytes);
            std::vector<std::uint8_t>().swap(band.coded);
        }
        std::size_t trailer = png->size();
        png->resize(trailer + 8);
        putU32(png->data() + trailer, adler);
        putU32(png->data() + trailer + 4,
               static_cast<std::uint32_t>(libdeflate_crc32(0, png->data() + chunkStart + 4, streamBytes + 4)));
    }
    appendChunk(*png, "IEND", nullptr, 0);
    foundation::NSDataRef encoded = std::move(png);
    detail::rememberOwnEncoding(encoded);
    return encoded;
}

foundation::NSDataRef encodePNG(const CGImage& image) { return encodePNG(image, kPhotoPngEncoderSettings); }

}  // namespace imageio
