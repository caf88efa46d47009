// The compressors behind the PNG encoder, over filtered rows. The band coders
// make raw deflate data that continues the bytes before it (given as a
// dictionary), so that bands coded at once on several threads follow one
// another in a single stream; libdeflate codes a whole stream in one call.
#pragma once

#include "platform/imageio/PngEncoder.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <span>
#include <utility>
#include <vector>

namespace imageio::detail {

// Leaves new elements uninitialised: a buffer the compressor is about to
// write need not be zeroed first, and zeroing the room for every band, most
// of which the coded band never reaches, costs as much as copying it.
template <typename T>
struct UninitializedAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = UninitializedAllocator<U>;
    };
    template <typename U>
    void construct(U* place) noexcept {
        ::new (static_cast<void*>(place)) U;
    }
    template <typename U, typename... Args>
    void construct(U* place, Args&&... args) {
        ::new (static_cast<void*>(place)) U(std::forward<Args>(args)...);
    }
};

using CodedBytes = std::vector<std::uint8_t, UninitializedAllocator<std::uint8_t>>;

// A piece of a band handed to its coder, and whether it is the band's last.
struct BandPiece {
    std::span<const std::uint8_t> bytes;
    bool final = true;
};
// Called for each next piece until one is final. Its bytes need only last
// until the next call, so a caller can filter a few rows at a time into one
// small buffer instead of holding a whole band.
using BandPieces = std::function<BandPiece()>;

// Codes one band of `bandBytes`, taken piece by piece, into `out` (resized to
// the coded bytes; a caller coding band after band keeps one buffer, which
// reaches its size once). `dictionary` is
// up to 32 KiB of the bytes just before the band (empty for the first). A
// band that is not the last ends byte-aligned on an empty stored block (a
// sync flush); the last ends the stream. False on failure (only when memory
// runs out).
bool deflateBand(PngCompressor compressor, int level, std::span<const std::uint8_t> dictionary, std::size_t bandBytes,
                 const BandPieces& pieces, bool last, CodedBytes& out);
// The same for a band held whole.
bool deflateBand(PngCompressor compressor, int level, std::span<const std::uint8_t> dictionary,
                 std::span<const std::uint8_t> band, bool last, CodedBytes& out);

// A whole zlib stream (header, deflate data, Adler-32) from libdeflate.
std::vector<std::uint8_t> zlibCompressWithLibdeflate(std::span<const std::uint8_t> data, int level);

// The two bytes that open the banded zlib streams: CMF 0x78, deflate with a
// 32 KiB window; FLG 0x01, fastest level, and 0x7801 is a multiple of 31 as
// the header check requires.
inline constexpr std::uint8_t kZlibHeader[2] = {0x78, 0x01};

// The Adler-32 of `data`, or of the bytes before it (whose Adler-32 is
// `before`) followed by it.
std::uint32_t adler32(std::span<const std::uint8_t> data, std::uint32_t before = 1);
// The Adler-32 of two pieces one after the other, from each one's and the
// length of the second.
std::uint32_t adler32Combine(std::uint32_t first, std::uint32_t second, std::size_t secondLength);

}  // namespace imageio::detail
