#include "platform/imageio/PngEncoder.h"

#include "platform/foundation/Concurrently.h"
#include "platform/imageio/ImageCodecs.h"
#include "platform/imageio/OwnEncodings.h"
#include "platform/imageio/PngDeflate.h"
#include "platform/imageio/PngFormat.h"
#include "platform/imageio/PngRowFiltering.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <span>
#include <thread>
#include <vector>

#include <libdeflate.h>

namespace imageio {

namespace {

using detail::kMaximumPngChunkLength;
using detail::kPngSignature;

std::uint8_t colorType(PixelFormat format) {
    switch (format) {
    case PixelFormat::Gray8: return 0;
    case PixelFormat::GrayAlpha8: return 4;
    case PixelFormat::RGB8: return 2;
    case PixelFormat::RGBA8: return 6;
    }
    return 6;
}

// Appends length, type, data and the CRC over type and data.
void appendChunk(foundation::NSData& out, const char (&type)[5], const std::uint8_t* data, std::size_t length) {
    std::size_t start = out.size();
    out.resize(start + 12 + length);
    std::uint8_t* chunk = out.data() + start;
    detail::writeBigEndian32(chunk, static_cast<std::uint32_t>(length));
    std::memcpy(chunk + 4, type, 4);
    if (length) std::memcpy(chunk + 8, data, length);
    detail::writeBigEndian32(chunk + 8 + length,
                             static_cast<std::uint32_t>(libdeflate_crc32(0, chunk + 4, length + 4)));
}

// Where each band starts, and the end: bands of about a mebibyte of rows,
// the last few a quarter of that, so that the threads finish together
// instead of one coding a whole band while the others wait.
std::vector<std::uint32_t> bandStarts(std::uint32_t height, std::size_t filteredRowBytes, unsigned threads) {
    constexpr std::size_t kBandBytes = 1 << 20;
    auto rowsPerBand = static_cast<std::uint32_t>(std::max<std::size_t>(1, kBandBytes / filteredRowBytes));
    std::uint32_t smallRows = std::max<std::uint32_t>(1, rowsPerBand / 4);
    std::uint64_t tailRows = std::uint64_t{threads} * rowsPerBand;
    auto smallFrom = static_cast<std::uint32_t>(threads > 1 && height > tailRows ? height - tailRows : height);
    std::vector<std::uint32_t> starts;
    for (std::uint32_t first = 0; first < height;) {
        starts.push_back(first);
        first = std::min(height, first + (first < smallFrom ? std::min(rowsPerBand, smallFrom - first) : smallRows));
    }
    starts.push_back(height);
    return starts;
}

// Filters and codes the image in bands taken in turn by `threads` threads.
// Each band is coded with the filtered bytes just before it as its
// dictionary, so matches reach across band borders as in one stream. Coded
// bands are handed to `append` in order, as soon as the ones before them are,
// so the encoder holds a few bands at a time besides its output, never a
// second bitmap. False when a band could not be coded.
template <typename Append>
bool encodeBands(const CGImage& image, const PngEncoderSettings& settings, unsigned threads, const Append& append) {
    constexpr std::size_t kDictionaryBytes = 32 * 1024;
    std::size_t filteredRowBytes = image.rowBytes() + 1;
    auto dictionaryRows = static_cast<std::uint32_t>((kDictionaryBytes + filteredRowBytes - 1) / filteredRowBytes);
    const std::vector<std::uint32_t> starts = bandStarts(image.height, filteredRowBytes, threads);
    auto bandCount = static_cast<std::uint32_t>(starts.size() - 1);

    struct CodedBand {
        bool done = false;
        detail::CodedBytes coded;
        std::uint32_t adler = 1;
        std::size_t filteredBytes = 0;
    };
    std::vector<CodedBand> bands(bandCount);
    // Buffers of bands already appended, for a thread whose own buffer waits
    // for its turn: a fresh one would be memory touched for the first time.
    std::vector<detail::CodedBytes> spare;
    std::mutex appending;  // Guards `bands`, `spare` and `nextToAppend`; appends happen under it.
    std::uint32_t nextToAppend = 0;
    std::atomic<std::uint32_t> nextBand{0};
    std::atomic<bool> failed{false};
    // Rows are filtered a few at a time, just before they are coded: they are
    // still in the cache when the coder reads them, and a thread's buffer is
    // tens of kilobytes, not a band.
    constexpr std::size_t kPieceBytes = 64 * 1024;
    auto pieceRows = static_cast<std::uint32_t>(std::max<std::size_t>(1, kPieceBytes / filteredRowBytes));
    auto codeBands = [&] {
        // One set of buffers a thread for all its bands: each fresh one would
        // be memory touched for the first time.
        std::vector<std::uint8_t> dictionary, piece;
        detail::CodedBytes coded;
        for (std::uint32_t k; !failed && (k = nextBand.fetch_add(1, std::memory_order_relaxed)) < bandCount;) {
            std::uint32_t first = starts[k], last = starts[k + 1];
            detail::filterRowsInto(image, settings.filter, first - std::min(first, dictionaryRows), first, dictionary);
            CodedBand done{true, {}, 1, std::size_t{last - first} * filteredRowBytes};
            std::uint32_t pieceFirst = first;
            auto nextPiece = [&] {
                std::uint32_t pieceLast = std::min(last, pieceFirst + pieceRows);
                detail::filterRowsInto(image, settings.filter, pieceFirst, pieceLast, piece);
                done.adler = detail::adler32(piece, done.adler);
                pieceFirst = pieceLast;
                return detail::BandPiece{piece, pieceLast == last};
            };
            if (!detail::deflateBand(settings.compressor, settings.level, dictionary, done.filteredBytes, nextPiece,
                                     k + 1 == bandCount, coded)) {
                failed = true;
                return;
            }
            std::lock_guard lock(appending);
            if (k == nextToAppend) {
                // In order, as it mostly is: straight from this thread's buffer.
                append(coded, done.adler, done.filteredBytes);
                ++nextToAppend;
            } else {
                done.coded = std::move(coded);
                bands[k] = std::move(done);
                coded = {};
                if (!spare.empty()) {
                    coded = std::move(spare.back());
                    spare.pop_back();
                }
            }
            for (; nextToAppend < bandCount && bands[nextToAppend].done; ++nextToAppend) {
                CodedBand& ready = bands[nextToAppend];
                append(ready.coded, ready.adler, ready.filteredBytes);
                spare.push_back(std::move(ready.coded));
            }
        }
    };
    foundation::runConcurrently(std::min(threads, bandCount), [&](unsigned) {
        try {
            codeBands();
        } catch (...) {
            failed = true;  // the other threads stop after their band
            throw;
        }
    });
    return !failed;
}

// The threads the band coders run on: small images are not worth one.
unsigned threadsFor(const PngEncoderSettings& settings, std::size_t bytes) {
    constexpr std::size_t kBytesWorthAThread = 1 << 20;
    if (bytes < kBytesWorthAThread) return 1;
    if (settings.threads) return settings.threads;
    return std::clamp(std::thread::hardware_concurrency(), 1u, 2u);
}

// `expectedShare` is what share of the filtered bytes the stream is expected
// to take (1 when nothing is known).
foundation::NSDataRef encodeOrThrow(const CGImage& image, const PngEncoderSettings& settings, double expectedShare) {
    std::size_t rowBytes = image.rowBytes();
    if (image.width == 0 || image.height == 0 || image.width > kMaximumPngChunkLength ||
        image.height > kMaximumPngChunkLength || image.pixels.size() != rowBytes * image.height)
        return nullptr;

    // The signature, the header chunk, then the image data chunk written in
    // place: its length is filled in once the stream is complete. The room
    // is what the stream is expected to take with a quarter to spare, at
    // most what incompressible rows take in stored blocks; a stream that
    // outgrows it only moves the buffer. Always reserving the most would
    // cost a process that saves many pictures: for a 12 MP one that is over
    // 32 MiB, which the C library maps anew for every request instead of
    // reusing freed memory, and every page of it is then touched afresh.
    std::size_t filteredBytes = (rowBytes + 1) * image.height;
    double share = expectedShare >= 0 ? std::min(expectedShare * 1.25, 1.125) : 1.125;
    auto png = std::make_shared<foundation::NSData>();
    png->reserve(kPngSignature.size() + 25 + 12 + static_cast<std::size_t>(static_cast<double>(filteredBytes) * share) +
                 (64 << 10) + 12);
    png->assign(kPngSignature.begin(), kPngSignature.end());
    std::array<std::uint8_t, 13> header{};
    detail::writeBigEndian32(header.data(), image.width);
    detail::writeBigEndian32(header.data() + 4, image.height);
    header[8] = 8;  // bits per component
    header[9] = colorType(image.format);
    // Compression, filter method and interlace stay 0: deflate, adaptive filtering, no interlace.
    appendChunk(*png, "IHDR", header.data(), header.size());
    std::size_t chunkStart = png->size();
    png->resize(chunkStart + 8);
    std::memcpy(png->data() + chunkStart + 4, "IDAT", 4);
    // The chunk's CRC is taken as its bytes are appended, while the other
    // threads still code, rather than over the whole stream at the end.
    std::uint32_t crc = static_cast<std::uint32_t>(libdeflate_crc32(0, png->data() + chunkStart + 4, 4));
    auto appendToChunk = [&](const std::uint8_t* bytes, std::size_t length) {
        png->insert(png->end(), bytes, bytes + length);
        crc = static_cast<std::uint32_t>(libdeflate_crc32(crc, bytes, length));
    };
    if (settings.compressor == PngCompressor::Libdeflate) {
        auto stream = detail::zlibCompressWithLibdeflate(detail::filterRows(image, settings.filter, 0, image.height),
                                                         settings.level);
        if (stream.empty()) return nullptr;
        appendToChunk(stream.data(), stream.size());
    } else {
        appendToChunk(std::begin(detail::kZlibHeader), std::size(detail::kZlibHeader));
        std::uint32_t adler = 1;
        auto append = [&](const detail::CodedBytes& coded, std::uint32_t bandAdler, std::size_t bandBytes) {
            appendToChunk(coded.data(), coded.size());
            adler = detail::adler32Combine(adler, bandAdler, bandBytes);
        };
        if (!encodeBands(image, settings, threadsFor(settings, filteredBytes), append)) return nullptr;
        std::array<std::uint8_t, 4> trailer{};
        detail::writeBigEndian32(trailer.data(), adler);
        appendToChunk(trailer.data(), trailer.size());
    }
    std::size_t streamBytes = png->size() - chunkStart - 8;
    if (streamBytes > kMaximumPngChunkLength) return nullptr;
    detail::writeBigEndian32(png->data() + chunkStart, static_cast<std::uint32_t>(streamBytes));
    std::size_t crcAt = png->size();
    png->resize(crcAt + 4);
    detail::writeBigEndian32(png->data() + crcAt, crc);
    appendChunk(*png, "IEND", nullptr, 0);
    foundation::NSDataRef encoded = std::move(png);
    detail::rememberOwnEncoding(encoded);
    return encoded;
}

}  // namespace

// Memory running out while encoding (the image data's room, a band's
// buffers, the trial's) gives no data, as any other failure does, instead of
// ending the process: the save that asked reports that it failed.
foundation::NSDataRef encodePNG(const CGImage& image, const PngEncoderSettings& settings) {
    try {
        return encodeOrThrow(image, settings, 1.0);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

foundation::NSDataRef encodePNG(const CGImage& image) {
    try {
        const PngEncoderChoice choice = choosePngEncoderSettings(image);
        return encodeOrThrow(image, choice.settings, choice.sampleCodedShare);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace imageio
