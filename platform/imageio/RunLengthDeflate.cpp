#include "platform/imageio/RunLengthDeflate.h"

#include "platform/imageio/Concurrently.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include <libdeflate.h>

namespace imageio::detail {

namespace {

// Input bytes per block: large enough that the block header (about a hundred
// bytes) does not matter, small enough that the codes follow the picture.
constexpr std::size_t kBlockBytes = 128 * 1024;
// A run shorter than this costs more as a match than as literals: in filtered
// rows the repeated byte is usually zero, whose literal code is short.
constexpr std::size_t kMinimumRun = 5;
constexpr std::size_t kMaximumMatch = 258;

constexpr unsigned kLiteralLengthSymbols = 286;
constexpr unsigned kEndOfBlock = 256;
constexpr unsigned kCodeLengthSymbols = 19;
constexpr unsigned kMaximumCodeLength = 15;
constexpr unsigned kMaximumCodeLengthCodeLength = 7;
// The order in which a dynamic block header lists the code-length code.
constexpr std::array<std::uint8_t, kCodeLengthSymbols> kCodeLengthOrder{16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                                       11, 4,  12, 3, 13, 2, 14, 1, 15};

// Match lengths 3..258 as (symbol, extra bits, extra value), from the format's table.
struct LengthCode {
    std::uint16_t symbol;
    std::uint8_t extraBits;
    std::uint16_t extraValue;
};

constexpr std::array<LengthCode, kMaximumMatch + 1> makeLengthCodes() {
    constexpr std::uint16_t base[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                        31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    constexpr std::uint8_t extra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    std::array<LengthCode, kMaximumMatch + 1> codes{};
    for (unsigned code = 0; code < 29; ++code) {
        unsigned last = code == 28 ? 258 : base[code] + (1u << extra[code]) - 1;
        if (code == 27) last = 257;  // 258 has a symbol of its own
        for (unsigned length = base[code]; length <= last; ++length)
            codes[length] = {static_cast<std::uint16_t>(257 + code), extra[code],
                             static_cast<std::uint16_t>(length - base[code])};
    }
    return codes;
}
constexpr auto kLengthCodes = makeLengthCodes();

// Writes bits least significant first, as deflate packs them. Bits are
// gathered with add() and written eight bytes at a time by flush(), which
// advances only by the whole bytes gathered; between flushes at most 56 bits
// may be added. The output needs 8 bytes of slack past its end.
class BitWriter {
public:
    explicit BitWriter(std::uint8_t* out) : out_(out), start_(out) {}

    void add(std::uint32_t value, unsigned count) {
        buffer_ |= std::uint64_t{value} << filled_;
        filled_ += count;
    }
    void flush() {
        std::memcpy(out_, &buffer_, 8);  // little-endian hosts only, as every target of this system is
        unsigned bytes = filled_ >> 3;
        out_ += bytes;
        buffer_ = bytes ? buffer_ >> (bytes * 8) : buffer_;
        filled_ &= 7;
    }
    void put(std::uint32_t value, unsigned count) {
        add(value, count);
        flush();
    }
    void flushToByte() {
        flush();
        if (filled_) {
            *out_++ = static_cast<std::uint8_t>(buffer_);
            buffer_ = 0;
            filled_ = 0;
        }
    }
    std::size_t written() const { return static_cast<std::size_t>(out_ - start_); }

private:
    std::uint8_t* out_;
    std::uint8_t* start_;
    std::uint64_t buffer_ = 0;
    unsigned filled_ = 0;
};

struct HuffmanCode {
    std::array<std::uint8_t, kLiteralLengthSymbols> lengths{};
    std::array<std::uint16_t, kLiteralLengthSymbols> codes{};  // bit-reversed, ready to write
};

// Optimal code lengths for the symbols' frequencies, none longer than
// `maximum`. A code always has at least two symbols, so that it is complete.
void buildLengths(const std::uint32_t* frequencies, unsigned symbols, unsigned maximum, std::uint8_t* lengths) {
    std::fill(lengths, lengths + symbols, 0);
    std::vector<unsigned> used;
    for (unsigned s = 0; s < symbols; ++s)
        if (frequencies[s]) used.push_back(s);
    while (used.size() < 2) {
        unsigned filler = used.empty() || used[0] != 0 ? 0 : 1;
        used.push_back(filler);
        std::sort(used.begin(), used.end());
    }
    // 1. Plain Huffman: repeatedly join the two lightest nodes.
    std::sort(used.begin(), used.end(), [&](unsigned a, unsigned b) { return frequencies[a] < frequencies[b]; });
    const std::size_t leaves = used.size();
    std::vector<std::uint64_t> weight(2 * leaves);
    std::vector<std::size_t> parent(2 * leaves, 0);
    for (std::size_t i = 0; i < leaves; ++i) weight[i] = std::max<std::uint32_t>(frequencies[used[i]], 1);
    // Leaves are sorted and joined nodes are made in weight order, so two
    // queues (leaves, joined nodes) always offer the lightest at their fronts.
    std::size_t nextLeaf = 0, nextJoined = leaves, made = leaves;
    auto takeLightest = [&] {
        if (nextLeaf < leaves && (nextJoined >= made || weight[nextLeaf] <= weight[nextJoined])) return nextLeaf++;
        return nextJoined++;
    };
    while (made < 2 * leaves - 1) {
        std::size_t a = takeLightest(), b = takeLightest();
        weight[made] = weight[a] + weight[b];
        parent[a] = parent[b] = made;
        ++made;
    }
    std::vector<unsigned> depth(2 * leaves - 1, 0);
    for (std::size_t node = 2 * leaves - 2; node-- > 0;) depth[node] = depth[parent[node]] + 1;

    // 2. Limit the length: count codes per length, fold the overlong ones
    // into the longest allowed length, then lengthen shorter codes until the
    // code is complete again.
    std::array<unsigned, 64> perLength{};
    for (std::size_t i = 0; i < leaves; ++i) ++perLength[std::min<unsigned>(depth[i], 63)];
    for (unsigned l = maximum + 1; l < perLength.size(); ++l) {
        perLength[maximum] += perLength[l];
        perLength[l] = 0;
    }
    std::uint64_t kraft = 0;
    for (unsigned l = 1; l <= maximum; ++l) kraft += std::uint64_t{perLength[l]} << (maximum - l);
    while (kraft > (std::uint64_t{1} << maximum)) {
        --perLength[maximum];
        for (unsigned l = maximum - 1; l > 0; --l) {
            if (perLength[l]) {
                --perLength[l];
                perLength[l + 1] += 2;
                break;
            }
        }
        --kraft;
    }
    // 3. The most frequent symbols get the shortest lengths.
    std::size_t next = leaves;
    for (unsigned l = 1; l <= maximum; ++l)
        for (unsigned k = 0; k < perLength[l]; ++k) lengths[used[--next]] = static_cast<std::uint8_t>(l);
}

std::uint16_t reverseBits(std::uint16_t code, unsigned length) {
    std::uint16_t reversed = 0;
    for (unsigned i = 0; i < length; ++i, code >>= 1) reversed = static_cast<std::uint16_t>(reversed << 1 | (code & 1));
    return reversed;
}

// Canonical codes from lengths, as the decoder rebuilds them.
void assignCodes(const std::uint8_t* lengths, unsigned symbols, std::uint16_t* codes) {
    std::array<std::uint16_t, kMaximumCodeLength + 2> count{}, next{};
    for (unsigned s = 0; s < symbols; ++s) ++count[lengths[s]];
    count[0] = 0;
    std::uint16_t code = 0;
    for (unsigned l = 1; l <= kMaximumCodeLength; ++l) {
        code = static_cast<std::uint16_t>((code + count[l - 1]) << 1);
        next[l] = code;
    }
    for (unsigned s = 0; s < symbols; ++s)
        codes[s] = lengths[s] ? reverseBits(next[lengths[s]]++, lengths[s]) : 0;
}

struct Run {
    std::size_t position;
    std::uint16_t length;
    std::uint8_t value;
};

// The runs of data[begin, end) worth coding as matches: at least kMinimumRun
// bytes equal to the byte before them, which must lie inside the part.
void findRuns(const std::uint8_t* data, std::size_t begin, std::size_t end, std::vector<Run>& runs) {
    std::size_t i = begin + 1;
    auto extend = [&](std::size_t start) {
        std::uint8_t repeated = data[start - 1];
        std::size_t limit = std::min(end, start + kMaximumMatch), j = start;
        while (j < limit && data[j] == repeated) ++j;
        return j;
    };
    // Eight bytes at a time: XOR with the same bytes shifted by one leaves a
    // zero byte wherever a byte equals its predecessor. A run needs the low
    // five to be zero; otherwise no run can start before the highest nonzero
    // one of them, so the scan skips past it.
    constexpr std::uint64_t kRunWindow = 0xFF'FFFF'FFFFull;  // kMinimumRun bytes
    while (i + 8 <= end) {
        std::uint64_t here, before;
        std::memcpy(&here, data + i, 8);
        std::memcpy(&before, data + i - 1, 8);
        std::uint64_t differences = (here ^ before) & kRunWindow;
        if (differences) {
            i += static_cast<std::size_t>((63 - __builtin_clzll(differences)) / 8) + 1;
            continue;
        }
        std::size_t j = extend(i);
        runs.push_back({i, static_cast<std::uint16_t>(j - i), data[i - 1]});
        i = j;
    }
    for (; i < end; ++i) {
        if (data[i] != data[i - 1]) continue;
        std::size_t j = extend(i);
        if (j - i >= kMinimumRun) {
            runs.push_back({i, static_cast<std::uint16_t>(j - i), data[i - 1]});
            i = j - 1;
        }
    }
}

// The code lengths of both codes, run-length coded with symbols 16 to 18
// as the block header spells them: (symbol, extra value) pairs.
std::vector<std::pair<std::uint8_t, std::uint8_t>> codeLengthTokens(const std::uint8_t* lengths, std::size_t count) {
    std::vector<std::pair<std::uint8_t, std::uint8_t>> tokens;
    for (std::size_t i = 0; i < count;) {
        std::size_t j = i;
        while (j < count && lengths[j] == lengths[i]) ++j;
        std::size_t repeat = j - i;
        if (lengths[i] == 0) {
            while (repeat >= 11) {
                std::size_t n = std::min<std::size_t>(repeat, 138);
                tokens.emplace_back(18, static_cast<std::uint8_t>(n - 11));
                repeat -= n;
            }
            if (repeat >= 3) {
                tokens.emplace_back(17, static_cast<std::uint8_t>(repeat - 3));
                repeat = 0;
            }
        } else {
            tokens.emplace_back(lengths[i], 0);
            --repeat;
            while (repeat >= 3) {
                std::size_t n = std::min<std::size_t>(repeat, 6);
                tokens.emplace_back(16, static_cast<std::uint8_t>(n - 3));
                repeat -= n;
            }
        }
        for (; repeat > 0; --repeat) tokens.emplace_back(lengths[i], 0);
        i = j;
    }
    return tokens;
}

// One dynamic-Huffman block over data[begin, end), whose runs are given.
void writeBlock(BitWriter& writer, const std::uint8_t* data, std::size_t begin, std::size_t end,
                std::span<const Run> runs, bool final) {
    // 1. Count the symbols: every byte, in four tables in turn (a photo's
    // filtered bytes repeat a few values, and one table would make each
    // count wait for the previous increment of the same counter); then take
    // the bytes inside runs out again and count the runs' length symbols.
    std::array<std::array<std::uint32_t, kLiteralLengthSymbols>, 4> counts{};
    std::size_t i = begin;
    for (; i + 4 <= end; i += 4) {
        ++counts[0][data[i]];
        ++counts[1][data[i + 1]];
        ++counts[2][data[i + 2]];
        ++counts[3][data[i + 3]];
    }
    for (; i < end; ++i) ++counts[0][data[i]];
    std::array<std::uint32_t, kLiteralLengthSymbols> frequencies{};
    for (unsigned s = 0; s < kLiteralLengthSymbols; ++s)
        frequencies[s] = counts[0][s] + counts[1][s] + counts[2][s] + counts[3][s];
    for (const Run& run : runs) {
        frequencies[run.value] -= run.length;
        ++frequencies[kLengthCodes[run.length].symbol];
    }
    frequencies[kEndOfBlock] = 1;

    // 2. Fit the codes. Runs all use distance 1 (distance symbol 0); the
    // distance code gets a second, unused symbol so that it is complete.
    HuffmanCode literals;
    buildLengths(frequencies.data(), kLiteralLengthSymbols, kMaximumCodeLength, literals.lengths.data());
    assignCodes(literals.lengths.data(), kLiteralLengthSymbols, literals.codes.data());
    const std::uint8_t distanceLengths[2] = {1, 1};

    unsigned literalCount = kLiteralLengthSymbols;
    while (literalCount > 257 && literals.lengths[literalCount - 1] == 0) --literalCount;
    std::vector<std::uint8_t> allLengths(literals.lengths.begin(), literals.lengths.begin() + literalCount);
    allLengths.insert(allLengths.end(), distanceLengths, distanceLengths + 2);
    auto lengthTokens = codeLengthTokens(allLengths.data(), allLengths.size());

    std::array<std::uint32_t, kCodeLengthSymbols> lengthFrequencies{};
    for (const auto& token : lengthTokens) ++lengthFrequencies[token.first];
    std::array<std::uint8_t, kCodeLengthSymbols> lengthCodeLengths{};
    std::array<std::uint16_t, kCodeLengthSymbols> lengthCodes{};
    buildLengths(lengthFrequencies.data(), kCodeLengthSymbols, kMaximumCodeLengthCodeLength, lengthCodeLengths.data());
    assignCodes(lengthCodeLengths.data(), kCodeLengthSymbols, lengthCodes.data());
    unsigned lengthCodeCount = kCodeLengthSymbols;
    while (lengthCodeCount > 4 && lengthCodeLengths[kCodeLengthOrder[lengthCodeCount - 1]] == 0) --lengthCodeCount;

    // 3. The header: final flag, type 2 (dynamic), the three counts, the
    // code-length code, then both codes' lengths through it. The writer is
    // copied into a local so that its state can live in registers.
    BitWriter bits = writer;
    bits.put(final ? 1 : 0, 1);
    bits.put(2, 2);
    bits.put(literalCount - 257, 5);
    bits.put(2 - 1, 5);
    bits.put(lengthCodeCount - 4, 4);
    for (unsigned i = 0; i < lengthCodeCount; ++i) bits.put(lengthCodeLengths[kCodeLengthOrder[i]], 3);
    constexpr std::uint8_t kExtraBitsOf[3] = {2, 3, 7};  // symbols 16, 17, 18
    for (const auto& [symbol, extra] : lengthTokens) {
        bits.put(lengthCodes[symbol], lengthCodeLengths[symbol]);
        if (symbol >= 16) bits.put(extra, kExtraBitsOf[symbol - 16]);
    }

    // 4. The data, then the end of the block. Each literal's code and length
    // come from one table entry; three literals (at most 45 bits) go
    // between flushes.
    std::array<std::uint32_t, 256> literalCodes;
    for (unsigned byte = 0; byte < 256; ++byte)
        literalCodes[byte] = literals.codes[byte] | std::uint32_t{literals.lengths[byte]} << 16;
    auto putLiterals = [&](std::size_t from, std::size_t to) {
        auto add = [&](std::uint8_t byte) { bits.add(literalCodes[byte] & 0xFFFF, literalCodes[byte] >> 16); };
        for (; from + 3 <= to; from += 3) {
            add(data[from]);
            add(data[from + 1]);
            add(data[from + 2]);
            bits.flush();
        }
        for (; from < to; ++from) {
            add(data[from]);
            bits.flush();
        }
    };
    std::size_t next = begin;
    for (const Run& run : runs) {
        putLiterals(next, run.position);
        const LengthCode& code = kLengthCodes[run.length];
        bits.add(literals.codes[code.symbol], literals.lengths[code.symbol]);
        bits.add(code.extraValue, code.extraBits);
        bits.add(0, 1);  // distance symbol 0 (distance 1), one bit long
        bits.flush();
        next = run.position + run.length;
    }
    putLiterals(next, end);
    bits.put(literals.codes[kEndOfBlock], literals.lengths[kEndOfBlock]);
    writer = bits;
}

// Worst case per part: 15 bits per byte, plus block headers, the closing
// stored block and the writer's slack.
std::size_t partBound(std::size_t bytes) { return bytes * 2 + (bytes / kBlockBytes + 2) * 400 + 16; }

}  // namespace

std::vector<std::uint8_t> deflateRunLengthHuffman(std::span<const std::uint8_t> data, bool last) {
    std::vector<Run> runs;
    findRuns(data.data(), 0, data.size(), runs);

    auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(partBound(data.size()));
    BitWriter bits(buffer.get());
    auto nextRun = runs.begin();
    std::size_t block = 0;
    do {
        // A block ends at its nominal size or at the end of a run crossing it.
        std::size_t blockEnd = std::min(data.size(), block + kBlockBytes);
        auto firstRun = nextRun;
        while (nextRun != runs.end() && nextRun->position < blockEnd) {
            blockEnd = std::max(blockEnd, nextRun->position + nextRun->length);
            ++nextRun;
        }
        writeBlock(bits, data.data(), block, blockEnd, std::span<const Run>(firstRun, nextRun),
                   last && blockEnd == data.size());
        block = blockEnd;
    } while (block < data.size());
    if (!last) {
        bits.put(0, 1);  // not final
        bits.put(0, 2);  // stored
        bits.flushToByte();
        bits.put(0x0000, 16);  // LEN
        bits.put(0xFFFF, 16);  // NLEN
    }
    bits.flushToByte();
    return std::vector<std::uint8_t>(buffer.get(), buffer.get() + bits.written());
}

std::uint32_t adler32Combine(std::uint32_t first, std::uint32_t second, std::size_t secondLength) {
    // Both sums of the second piece, restarted from the first piece's sums:
    // the low sum adds up, the high sum gains the first's low sum once per
    // byte of the second piece.
    constexpr std::uint64_t kBase = 65521;
    std::uint64_t remainder = secondLength % kBase;
    std::uint64_t low = ((first & 0xFFFF) + (second & 0xFFFF) + kBase - 1) % kBase;
    std::uint64_t high = ((first >> 16) + (second >> 16) + remainder * (first & 0xFFFF) + kBase - remainder) % kBase;
    return static_cast<std::uint32_t>(high << 16 | low);
}

std::vector<std::uint8_t> zlibStreamFromParts(const std::vector<std::vector<std::uint8_t>>& codedParts,
                                              const std::vector<std::span<const std::uint8_t>>& data) {
    std::size_t total = 6;
    for (const auto& part : codedParts) total += part.size();
    std::vector<std::uint8_t> stream;
    stream.reserve(total);
    stream.assign(std::begin(kZlibHeader), std::end(kZlibHeader));
    for (const auto& part : codedParts) stream.insert(stream.end(), part.begin(), part.end());
    std::uint32_t adler = 1;
    for (const auto& bytes : data) adler = libdeflate_adler32(adler, bytes.data(), bytes.size());
    for (int shift = 24; shift >= 0; shift -= 8) stream.push_back(static_cast<std::uint8_t>(adler >> shift));
    return stream;
}

std::vector<std::uint8_t> zlibRunLengthHuffman(std::span<const std::uint8_t> data, unsigned parts) {
    parts = std::clamp<unsigned>(parts, 1, static_cast<unsigned>(std::max<std::size_t>(1, data.size() / kBlockBytes)));
    std::vector<std::span<const std::uint8_t>> pieces;
    for (unsigned k = 0; k < parts; ++k) {
        std::size_t from = data.size() * k / parts, to = data.size() * (k + 1) / parts;
        pieces.push_back(data.subspan(from, to - from));
    }
    std::vector<std::vector<std::uint8_t>> coded(parts);
    runConcurrently(parts, [&](unsigned k) { coded[k] = deflateRunLengthHuffman(pieces[k], k + 1 == parts); });
    return zlibStreamFromParts(coded, pieces);
}

}  // namespace imageio::detail
