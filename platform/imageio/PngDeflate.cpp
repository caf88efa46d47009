#include "platform/imageio/PngDeflate.h"

#include <algorithm>
#include <array>
#include <memory>

#include <isa-l/igzip_lib.h>
#include <libdeflate.h>
#include <zlib.h>

namespace imageio::detail {

namespace {

constexpr std::size_t kWindowBytes = 32 * 1024;

// ISA-L keeps its match-finding tables in a caller's buffer whose size
// depends on the level; one per thread, as a stream must not be shared.
std::span<std::uint8_t> isalLevelBuffer(int level) {
    static constexpr std::array<std::size_t, 4> kSizes{0, ISAL_DEF_LVL1_DEFAULT, ISAL_DEF_LVL2_DEFAULT,
                                                       ISAL_DEF_LVL3_DEFAULT};
    thread_local std::array<std::vector<std::uint8_t>, 4> buffers;
    auto& buffer = buffers[static_cast<std::size_t>(level)];
    buffer.resize(kSizes[static_cast<std::size_t>(level)]);
    return buffer;
}

// Room for incompressible data: stored blocks add 5 bytes in 64 KiB.
std::size_t roomFor(std::size_t inputBytes) { return inputBytes + inputBytes / 16 + 1024; }

// Sizes `out` for the whole band once; a coder that still fills it doubles it.
void reserveRoom(CodedBytes& out, std::size_t room) {
    if (out.size() < room) out.resize(room);
}

bool deflateBandWithIsal(int level, std::span<const std::uint8_t> dictionary, std::size_t bandBytes,
                         const BandPieces& pieces, bool last, CodedBytes& out) {
    level = std::clamp(level, 0, 3);
    isal_zstream stream;
    isal_deflate_init(&stream);
    std::span<std::uint8_t> levelBuffer = isalLevelBuffer(level);
    stream.level = static_cast<std::uint32_t>(level);
    stream.level_buf = levelBuffer.empty() ? nullptr : levelBuffer.data();
    stream.level_buf_size = static_cast<std::uint32_t>(levelBuffer.size());
    stream.gzip_flag = IGZIP_DEFLATE;
    if (!dictionary.empty() && isal_deflate_set_dict(&stream, const_cast<std::uint8_t*>(dictionary.data()),
                                                     static_cast<std::uint32_t>(dictionary.size())) != COMP_OK)
        return false;
    const int finished = last ? ZSTATE_END : ZSTATE_NEW_HDR;
    reserveRoom(out, roomFor(bandBytes));
    for (bool final = false; !final;) {
        BandPiece piece = pieces();
        final = piece.final;
        stream.next_in = const_cast<std::uint8_t*>(piece.bytes.data());
        stream.avail_in = static_cast<std::uint32_t>(piece.bytes.size());
        stream.end_of_stream = final && last ? 1 : 0;
        stream.flush = final && !last ? SYNC_FLUSH : NO_FLUSH;
        for (;;) {
            stream.next_out = out.data() + stream.total_out;
            stream.avail_out = static_cast<std::uint32_t>(out.size() - stream.total_out);
            if (isal_deflate(&stream) != COMP_OK) return false;
            if (stream.avail_in == 0 && (!final || stream.internal_state.state == finished)) break;
            // Only a full output buffer may stop it short; anything else would
            // be a call that never finishes.
            if (stream.avail_out != 0) return false;
            out.resize(out.size() * 2);
        }
    }
    out.resize(stream.total_out);
    return true;
}

// zlib's run-length strategy looks for repeats of the previous byte only: on
// grainy filtered rows, where longer repeats are rare, it is both quicker and
// smaller than a general search.
bool deflateBandWithZlibRunLength(std::span<const std::uint8_t> dictionary, std::size_t bandBytes,
                                  const BandPieces& pieces, bool last, CodedBytes& out) {
    z_stream stream{};
    if (deflateInit2(&stream, 6, Z_DEFLATED, -15, 8, Z_RLE) != Z_OK) return false;
    std::unique_ptr<z_stream, int (*)(z_stream*)> ending(&stream, deflateEnd);
    if (!dictionary.empty() &&
        deflateSetDictionary(&stream, dictionary.data(), static_cast<uInt>(dictionary.size())) != Z_OK)
        return false;
    // The bound covers the band and what zlib holds back between pieces, so
    // the room rarely runs out; a full buffer only asks for more.
    reserveRoom(out, deflateBound(&stream, bandBytes) + (64 << 10));
    for (bool final = false; !final;) {
        BandPiece piece = pieces();
        final = piece.final;
        const int flush = !final ? Z_NO_FLUSH : last ? Z_FINISH : Z_SYNC_FLUSH;
        stream.next_in = const_cast<Bytef*>(piece.bytes.data());
        stream.avail_in = static_cast<uInt>(piece.bytes.size());
        for (;;) {
            stream.next_out = out.data() + stream.total_out;
            stream.avail_out = static_cast<uInt>(out.size() - stream.total_out);
            int result = deflate(&stream, flush);
            if (result == Z_STREAM_ERROR) return false;
            if (stream.avail_out != 0) {
                // Z_BUF_ERROR short of the end: nothing was left to do.
                bool done = flush == Z_FINISH ? result == Z_STREAM_END : result == Z_OK || result == Z_BUF_ERROR;
                if (stream.avail_in != 0 || !done) return false;
                break;
            }
            out.resize(out.size() * 2);
        }
    }
    out.resize(stream.total_out);
    return true;
}

// One compressor per level and thread: allocating one costs more than
// compressing a small image, and a compressor must not be shared by threads.
libdeflate_compressor* libdeflateCompressor(int level) {
    struct Free {
        void operator()(libdeflate_compressor* compressor) const { libdeflate_free_compressor(compressor); }
    };
    thread_local std::array<std::unique_ptr<libdeflate_compressor, Free>, 13> compressors;
    auto& slot = compressors[static_cast<std::size_t>(level)];
    if (!slot) slot.reset(libdeflate_alloc_compressor(level));
    return slot.get();
}

}  // namespace

bool deflateBand(PngCompressor compressor, int level, std::span<const std::uint8_t> dictionary, std::size_t bandBytes,
                 const BandPieces& pieces, bool last, CodedBytes& out) {
    if (dictionary.size() > kWindowBytes) dictionary = dictionary.last(kWindowBytes);
    switch (compressor) {
    case PngCompressor::Isal: return deflateBandWithIsal(level, dictionary, bandBytes, pieces, last, out);
    case PngCompressor::ZlibRunLength: return deflateBandWithZlibRunLength(dictionary, bandBytes, pieces, last, out);
    case PngCompressor::Libdeflate: break;
    }
    return false;
}

bool deflateBand(PngCompressor compressor, int level, std::span<const std::uint8_t> dictionary,
                 std::span<const std::uint8_t> band, bool last, CodedBytes& out) {
    auto whole = [band] { return BandPiece{band, true}; };
    return deflateBand(compressor, level, dictionary, band.size(), whole, last, out);
}

std::vector<std::uint8_t> zlibCompressWithLibdeflate(std::span<const std::uint8_t> data, int level) {
    libdeflate_compressor* compressor = libdeflateCompressor(std::clamp(level, 0, 12));
    if (!compressor) return {};
    std::vector<std::uint8_t> stream(libdeflate_zlib_compress_bound(compressor, data.size()));
    stream.resize(libdeflate_zlib_compress(compressor, data.data(), data.size(), stream.data(), stream.size()));
    return stream;
}

std::uint32_t adler32(std::span<const std::uint8_t> data, std::uint32_t before) {
    return static_cast<std::uint32_t>(libdeflate_adler32(before, data.data(), data.size()));
}

std::uint32_t adler32Combine(std::uint32_t first, std::uint32_t second, std::size_t secondLength) {
    return static_cast<std::uint32_t>(adler32_combine(first, second, static_cast<z_off_t>(secondLength)));
}

}  // namespace imageio::detail
