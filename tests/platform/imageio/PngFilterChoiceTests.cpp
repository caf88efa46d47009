// The encoder's filter choice adds up sixteen bytes at a time; it must give
// exactly the sums of the byte-by-byte definition, for every pixel size,
// every row length (including the bytes left over after the last sixteen)
// and the extreme byte values where differences wrap.
#include "platform/imageio/PngFilterChoice.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

using imageio::detail::filterMagnitudeSums;
using imageio::detail::filterMagnitudeSumsByByte;

void expectSameSums(const std::vector<std::uint8_t>& row, const std::vector<std::uint8_t>& previous, std::size_t bpp,
                    const char* what) {
    std::uint64_t fast[5], reference[5];
    filterMagnitudeSums(row.data(), previous.data(), row.size(), bpp, fast);
    filterMagnitudeSumsByByte(row.data(), previous.data(), row.size(), bpp, reference);
    for (int f = 0; f < 5; ++f)
        EXPECT_EQ(fast[f], reference[f]) << what << ": filter " << f << ", " << row.size() << " bytes, bpp " << bpp;
}

TEST(PngFilterChoiceTest, VectorSumsEqualTheByteByByteDefinition) {
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> anyByte(0, 255), nearEdge(0, 3);
    for (std::size_t bpp = 1; bpp <= 4; ++bpp) {
        for (std::size_t length : {std::size_t{1}, bpp, std::size_t{15}, std::size_t{16}, std::size_t{17},
                                   std::size_t{33}, std::size_t{4800}, std::size_t{4803}}) {
            if (length < bpp) continue;
            std::vector<std::uint8_t> row(length), previous(length);
            for (std::size_t i = 0; i < length; ++i) {
                row[i] = static_cast<std::uint8_t>(anyByte(random));
                previous[i] = static_cast<std::uint8_t>(anyByte(random));
            }
            expectSameSums(row, previous, bpp, "noise");
            // Only 0, 1, 254 and 255: every wrap-around of the differences.
            for (std::size_t i = 0; i < length; ++i) {
                static constexpr std::uint8_t kEdges[4] = {0, 1, 254, 255};
                row[i] = kEdges[nearEdge(random)];
                previous[i] = kEdges[nearEdge(random)];
            }
            expectSameSums(row, previous, bpp, "extremes");
            // A smooth gradient, where Paeth's ties decide.
            for (std::size_t i = 0; i < length; ++i) {
                row[i] = static_cast<std::uint8_t>(i / bpp);
                previous[i] = static_cast<std::uint8_t>(i / bpp + 1);
            }
            expectSameSums(row, previous, bpp, "gradient");
        }
    }
}

}  // namespace
