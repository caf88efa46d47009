// A deflate coder made for filtered image rows: every byte is a literal
// except runs of one repeated byte, which become matches at distance 1, and
// each block gets Huffman codes fitted to its own bytes.
//
// On a photo's filtered rows, grain and JPEG noise leave few repeated strings
// for a general matcher to find; its matches cost about as many bits as the
// literals they replace, so a general encoder is slower without being
// smaller. Flat areas still shrink through the runs.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace imageio::detail {

// The deflate blocks of one part of a stream. Runs never reach back before
// the part, so parts can be coded independently and concurrently; a part that
// is not the last ends with an empty stored block, which leaves it
// byte-aligned, so coded parts simply follow one another.
std::vector<std::uint8_t> deflateRunLengthHuffman(std::span<const std::uint8_t> data, bool last);

// The Adler-32 of two pieces of data one after the other, from the Adler-32
// of each (both started at 1) and the length of the second.
std::uint32_t adler32Combine(std::uint32_t first, std::uint32_t second, std::size_t secondLength);

// The two bytes that open every zlib stream this coder makes. CMF 0x78:
// deflate with a 32 KiB window; FLG 0x01: fastest level, and 0x7801 is a
// multiple of 31 as the header check requires.
inline constexpr std::uint8_t kZlibHeader[2] = {0x78, 0x01};

// A zlib stream: the header, the coded parts in order, and the Adler-32 of
// the data they code (given in the same order).
std::vector<std::uint8_t> zlibStreamFromParts(const std::vector<std::vector<std::uint8_t>>& codedParts,
                                              const std::vector<std::span<const std::uint8_t>>& data);

// The whole of `data` as a zlib stream, coded in `parts` parts at once.
std::vector<std::uint8_t> zlibRunLengthHuffman(std::span<const std::uint8_t> data, unsigned parts = 1);

}  // namespace imageio::detail
