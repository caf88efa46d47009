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

// A zlib stream: the header, the coded parts in order, and the Adler-32 of
// the data they code (given in the same order).
std::vector<std::uint8_t> zlibStreamFromParts(const std::vector<std::vector<std::uint8_t>>& codedParts,
                                              const std::vector<std::span<const std::uint8_t>>& data);

// The whole of `data` as a zlib stream, coded in `parts` parts at once.
std::vector<std::uint8_t> zlibRunLengthHuffman(std::span<const std::uint8_t> data, unsigned parts = 1);

}  // namespace imageio::detail
