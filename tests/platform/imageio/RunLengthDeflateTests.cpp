// The run-length and Huffman deflate coder, checked with zlib's inflate.
#include "platform/imageio/RunLengthDeflate.h"
#include "tools/SyntheticPhoto.h"

#include <gtest/gtest.h>

#include <zlib.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::optional<Bytes> inflateWithZlib(const Bytes& stream, std::size_t expectedSize) {
    Bytes out(expectedSize + 1);  // one spare byte, so that excess output shows
    uLongf outSize = out.size();
    if (uncompress(out.data(), &outSize, stream.data(), stream.size()) != Z_OK) return std::nullopt;
    out.resize(outSize);
    return out;
}

void expectRoundTrip(const Bytes& data, unsigned segments) {
    Bytes stream = imageio::detail::zlibRunLengthHuffman(data, segments);
    auto inflated = inflateWithZlib(stream, data.size());
    ASSERT_TRUE(inflated) << "zlib refused the stream";
    EXPECT_TRUE(*inflated == data) << "inflated data differs";
}

TEST(RunLengthDeflateTest, RunsOfEveryLengthComeBackExactly) {
    // Runs of 1 to 600 bytes (past the longest match of 258), of changing
    // values, separated by single different bytes.
    Bytes data;
    for (std::size_t length = 1; length <= 600; ++length) {
        data.insert(data.end(), length, static_cast<std::uint8_t>(length % 7));
        data.push_back(200);
    }
    for (unsigned segments : {1u, 2u, 5u}) expectRoundTrip(data, segments);
}

TEST(RunLengthDeflateTest, NoiseAndEveryByteValueComeBackExactly) {
    sampleimages::SeededRandom random(5);
    Bytes data(3 * 128 * 1024 + 17);  // several blocks, the last one partial
    for (auto& byte : data) byte = static_cast<std::uint8_t>(random.next());
    for (unsigned segments : {1u, 2u}) expectRoundTrip(data, segments);
}

TEST(RunLengthDeflateTest, SkewedDataNeedingLengthLimitedCodesComesBackExactly) {
    // Symbol frequencies growing like Fibonacci numbers push an unlimited
    // Huffman code far past the format's 15-bit limit.
    Bytes data;
    std::uint64_t a = 1, b = 1;
    for (int symbol = 0; symbol < 26; ++symbol) {
        // Alternate with a neighbour so that no runs form.
        for (std::uint64_t i = 0; i < a; ++i) {
            data.push_back(static_cast<std::uint8_t>(symbol * 2));
            data.push_back(static_cast<std::uint8_t>(symbol * 2 + 1));
        }
        std::uint64_t next = a + b;
        a = b;
        b = next;
    }
    expectRoundTrip(data, 1);
}

TEST(RunLengthDeflateTest, TinyInputsComeBackExactly) {
    expectRoundTrip({}, 1);
    expectRoundTrip({42}, 1);
    expectRoundTrip({7, 7, 7, 7, 7, 7, 7, 7}, 1);
    expectRoundTrip({0, 1}, 4);  // more parts asked for than the data can fill
}

TEST(RunLengthDeflateTest, FlatDataShrinksByOrdersOfMagnitude) {
    Bytes flat(1 << 20, 0);
    Bytes stream = imageio::detail::zlibRunLengthHuffman(flat, 2);
    EXPECT_LT(stream.size(), flat.size() / 100);
    auto inflated = inflateWithZlib(stream, flat.size());
    ASSERT_TRUE(inflated);
    EXPECT_TRUE(*inflated == flat);
}

// Checked against zlib's own Adler-32 of the joined data, at split points
// that cross the checksum's modulus and with empty pieces on either side.
TEST(RunLengthDeflateTest, CombinedChecksumsEqualTheChecksumOfTheWhole) {
    Bytes data(200'000);
    std::uint64_t state = 5;
    for (auto& byte : data) byte = static_cast<std::uint8_t>((state = state * 6364136223846793005u + 1) >> 56);
    auto adler = [](const std::uint8_t* bytes, std::size_t length) {
        return static_cast<std::uint32_t>(adler32(1, bytes, static_cast<uInt>(length)));
    };
    for (std::size_t split : {std::size_t{0}, std::size_t{1}, std::size_t{65521}, std::size_t{65522},
                              std::size_t{131'042}, data.size() - 1, data.size()}) {
        std::uint32_t combined = imageio::detail::adler32Combine(adler(data.data(), split),
                                                                 adler(data.data() + split, data.size() - split),
                                                                 data.size() - split);
        EXPECT_EQ(combined, adler(data.data(), data.size())) << "split at " << split;
    }
    Bytes ones(70'000, 0xFF);  // both sums near their modulus
    EXPECT_EQ(imageio::detail::adler32Combine(adler(ones.data(), 30'000), adler(ones.data() + 30'000, 40'000), 40'000),
              adler(ones.data(), ones.size()));
}

}  // namespace
