#include "platform/imageio/PngFilterChoice.h"

#include <cstdlib>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace imageio::detail {

namespace {

// A filtered byte is a difference modulo 256: 255 stands for -1, so its
// magnitude is that of the byte read as signed.
inline std::uint32_t magnitude(int difference) {
    return static_cast<std::uint32_t>(std::abs(int{static_cast<std::int8_t>(difference)}));
}

// Adds the five magnitudes of bytes [from, to) to `sums`; bytes before `bpp`
// have no left neighbour (taken as 0, as the format says).
void addByBytes(const std::uint8_t* row, const std::uint8_t* previous, std::size_t from, std::size_t to,
                std::size_t bpp, std::uint64_t (&sums)[5]) {
    for (std::size_t i = from; i < to; ++i) {
        int x = row[i], b = previous[i];
        int a = i >= bpp ? row[i - bpp] : 0, c = i >= bpp ? previous[i - bpp] : 0;
        sums[0] += magnitude(x);
        sums[1] += magnitude(x - a);
        sums[2] += magnitude(x - b);
        sums[3] += magnitude(x - ((a + b) >> 1));
        sums[4] += magnitude(x - paethPredictor(a, b, c));
    }
}

#if defined(__SSE2__)
// Sixteen bytes at a time. A signed byte's magnitude is min(d, -d) read
// unsigned, and psadbw against zero adds eight of them at once; the average
// is taken without overflow as (a & b) + ((a ^ b) >> 1); the Paeth
// predictor needs the exact distances, so it works on 16-bit halves.
struct VectorSums {
    __m128i none = _mm_setzero_si128(), sub = none, up = none, average = none, paeth = none;
};

inline __m128i magnitudes(__m128i difference) {
    return _mm_min_epu8(difference, _mm_sub_epi8(_mm_setzero_si128(), difference));
}

inline __m128i addSad(__m128i total, __m128i bytes) {
    return _mm_add_epi64(total, _mm_sad_epu8(bytes, _mm_setzero_si128()));
}

inline __m128i absolute16(__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v)); }

// The Paeth predictor of eight 16-bit lanes.
inline __m128i paeth16(__m128i a, __m128i b, __m128i c) {
    __m128i toLeft = absolute16(_mm_sub_epi16(b, c));                                        // |p - a|
    __m128i toUp = absolute16(_mm_sub_epi16(a, c));                                          // |p - b|
    __m128i toUpLeft = absolute16(_mm_add_epi16(_mm_sub_epi16(a, c), _mm_sub_epi16(b, c)));  // |p - c|
    __m128i notLeft = _mm_or_si128(_mm_cmpgt_epi16(toLeft, toUp), _mm_cmpgt_epi16(toLeft, toUpLeft));
    __m128i notUp = _mm_cmpgt_epi16(toUp, toUpLeft);
    __m128i upOrUpLeft = _mm_or_si128(_mm_andnot_si128(notUp, b), _mm_and_si128(notUp, c));
    return _mm_or_si128(_mm_andnot_si128(notLeft, a), _mm_and_si128(notLeft, upOrUpLeft));
}

void addSixteen(const std::uint8_t* row, const std::uint8_t* previous, std::size_t i, std::size_t bpp,
                VectorSums& sums) {
    const __m128i zero = _mm_setzero_si128();
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i - bpp));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(previous + i));
    __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(previous + i - bpp));

    sums.none = addSad(sums.none, magnitudes(x));
    sums.sub = addSad(sums.sub, magnitudes(_mm_sub_epi8(x, a)));
    sums.up = addSad(sums.up, magnitudes(_mm_sub_epi8(x, b)));
    __m128i halfXor = _mm_and_si128(_mm_srli_epi16(_mm_xor_si128(a, b), 1), _mm_set1_epi8(0x7F));
    __m128i average = _mm_add_epi8(_mm_and_si128(a, b), halfXor);
    sums.average = addSad(sums.average, magnitudes(_mm_sub_epi8(x, average)));

    __m128i low = paeth16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero), _mm_unpacklo_epi8(c, zero));
    __m128i high = paeth16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero), _mm_unpackhi_epi8(c, zero));
    sums.paeth = addSad(sums.paeth, magnitudes(_mm_sub_epi8(x, _mm_packus_epi16(low, high))));
}

std::uint64_t total(__m128i pair) {
    return static_cast<std::uint64_t>(_mm_cvtsi128_si64(pair)) +
           static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(pair, pair)));
}
#endif

}  // namespace

void filterMagnitudeSumsByByte(const std::uint8_t* row, const std::uint8_t* previous, std::size_t rowBytes,
                               std::size_t bpp, std::uint64_t (&sums)[5]) {
    for (auto& sum : sums) sum = 0;
    addByBytes(row, previous, 0, rowBytes, bpp, sums);
}

void filterMagnitudeSums(const std::uint8_t* row, const std::uint8_t* previous, std::size_t rowBytes, std::size_t bpp,
                         std::uint64_t (&sums)[5]) {
    for (auto& sum : sums) sum = 0;
    std::size_t start = bpp < rowBytes ? bpp : rowBytes;
    addByBytes(row, previous, 0, start, bpp, sums);
    std::size_t i = start;
#if defined(__SSE2__)
    VectorSums vector;
    for (; i + 16 <= rowBytes; i += 16) addSixteen(row, previous, i, bpp, vector);
    sums[0] += total(vector.none);
    sums[1] += total(vector.sub);
    sums[2] += total(vector.up);
    sums[3] += total(vector.average);
    sums[4] += total(vector.paeth);
#endif
    addByBytes(row, previous, i, rowBytes, bpp, sums);
}

PngRowFilter cheapestFilter(const std::uint8_t* row, const std::uint8_t* previous, std::size_t rowBytes,
                            std::size_t bpp) {
    std::uint64_t sums[5];
    filterMagnitudeSums(row, previous, rowBytes, bpp, sums);
    int best = 0;
    for (int f = 1; f < 5; ++f)
        if (sums[f] < sums[best]) best = f;
    return static_cast<PngRowFilter>(best);
}

}  // namespace imageio::detail
