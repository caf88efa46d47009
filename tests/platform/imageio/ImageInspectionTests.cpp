// The quick inspection the photo library uses to refuse broken pictures must
// give decodeImage's verdict on every input: it only skips work, never
// changes an answer. Each case builds an input, damaged or not, and compares.
#include "platform/foundation/NSData.h"
#include "platform/imageio/ImageCodecs.h"
#include "platform/imageio/PngEncoder.h"
#include "tests/platform/imageio/TestImages.h"
#include "tools/SampleJpegWriter.h"
#include "tools/SyntheticPhoto.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <string>

namespace {

using imageio::PixelFormat;
using namespace testimages;

std::uint32_t readU32(const Bytes& bytes, std::size_t at) {
    return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 | std::uint32_t{bytes[at + 2]} << 8 |
           bytes[at + 3];
}

void putU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

// The offset of the first chunk of `type`, or npos.
std::size_t findChunk(const Bytes& png, const char* type) {
    for (std::size_t at = 8; at + 12 <= png.size(); at += readU32(png, at) + 12)
        if (std::equal(type, type + 4, png.begin() + static_cast<std::ptrdiff_t>(at + 4))) return at;
    return std::string::npos;
}

// Recomputes a chunk's CRC, so that damage inside it reaches the decoder.
void fixCrc(Bytes& png, std::size_t chunk) {
    std::uint32_t length = readU32(png, chunk);
    putU32(png, chunk + 8 + length, static_cast<std::uint32_t>(crc32(0, png.data() + chunk + 4, length + 4)));
}

Bytes chunk(const char* type, const Bytes& data) {
    // Length, type, data and CRC, the CRC computed last.
    Bytes out(4 + 4 + data.size() + 4);
    putU32(out, 0, static_cast<std::uint32_t>(data.size()));
    std::copy(type, type + 4, out.begin() + 4);
    std::copy(data.begin(), data.end(), out.begin() + 8);
    fixCrc(out, 0);
    return out;
}

Bytes insertBefore(const Bytes& png, const char* beforeType, const Bytes& chunkBytes) {
    Bytes out = png;
    auto at = static_cast<std::ptrdiff_t>(findChunk(png, beforeType));
    out.insert(out.begin() + at, chunkBytes.begin(), chunkBytes.end());
    return out;
}

// The same image data split over several IDAT chunks, as many writers do.
Bytes splitImageData(const Bytes& png, std::size_t pieces) {
    std::size_t at = findChunk(png, "IDAT");
    std::uint32_t length = readU32(png, at);
    Bytes data(png.begin() + static_cast<std::ptrdiff_t>(at + 8),
               png.begin() + static_cast<std::ptrdiff_t>(at + 8 + length));
    Bytes out(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(at));
    for (std::size_t k = 0; k < pieces; ++k) {
        Bytes part(data.begin() + static_cast<std::ptrdiff_t>(data.size() * k / pieces),
                   data.begin() + static_cast<std::ptrdiff_t>(data.size() * (k + 1) / pieces));
        Bytes piece = chunk("IDAT", part);
        out.insert(out.end(), piece.begin(), piece.end());
    }
    out.insert(out.end(), png.begin() + static_cast<std::ptrdiff_t>(at + 12 + length), png.end());
    return out;
}

Bytes encoded(const imageio::CGImage& image) {
    auto png = imageio::encodePNG(image);
    return Bytes(png->begin(), png->end());
}

void expectSameVerdict(const Bytes& bytes, const std::string& what) {
    auto decoded = imageio::decodeImage(bytes);
    auto inspected = imageio::inspectImage(bytes);
    ASSERT_EQ(decoded.has_value(), inspected.has_value()) << what;
    if (decoded) {
        EXPECT_EQ(decoded->format, inspected->format) << what;
        EXPECT_EQ(decoded->exifOrientation, inspected->exifOrientation) << what;
    }
}

TEST(ImageInspectionTest, AgreesWithDecodingOnWholePictures) {
    auto photo = sampleimages::makePhotoLikeImage(96, 64, PixelFormat::RGB8, 3);
    expectSameVerdict(encoded(photo), "our PNG");
    expectSameVerdict(encoded(sampleimages::makePhotoLikeImage(40, 30, PixelFormat::RGBA8, 4)), "our RGBA PNG");
    expectSameVerdict(encoded(solidImage(17, 9, PixelFormat::Gray8, {90, 90, 90, 255})), "our gray PNG");
    expectSameVerdict(splitImageData(encoded(photo), 5), "image data over five chunks");
    expectSameVerdict(writePngWithLibpng(photo), "libpng's PNG");
    expectSameVerdict(writePngWithLibpng(photo, {.interlaced = true}), "interlaced");
    expectSameVerdict(writePngWithLibpng(photo, {.bitDepth = 16}), "16 bits");
    auto fewColours = solidImage(12, 8, PixelFormat::RGB8, {10, 20, 30, 255});
    setPixel(fewColours, 3, 4, {200, 100, 0, 255});
    expectSameVerdict(writePngWithLibpng(fewColours, {.palette = true}), "palette");
    expectSameVerdict(writePngWithLibpng(photo, {.transparentColor = std::array<std::uint16_t, 3>{1, 2, 3}}), "tRNS");
    expectSameVerdict(insertBefore(encoded(photo), "IDAT", chunk("tEXt", Bytes{'a', 0, 'b'})), "text chunk");
    expectSameVerdict(sampleimages::encodeJpeg(photo, 90), "JPEG");
}

TEST(ImageInspectionTest, AgreesWithDecodingOnDamagedPictures) {
    Bytes png = encoded(sampleimages::makePhotoLikeImage(96, 64, PixelFormat::RGB8, 3));
    std::size_t idat = findChunk(png, "IDAT");
    std::uint32_t idatLength = readU32(png, idat);

    for (std::size_t keep : {std::size_t{9}, idat + 4, idat + 8 + idatLength / 2, png.size() - 12, png.size() - 1}) {
        expectSameVerdict(Bytes(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(keep)),
                          "cut at " + std::to_string(keep));
    }

    Bytes flipped = png;
    flipped[idat + 8 + idatLength / 2] ^= 0x5A;
    expectSameVerdict(flipped, "damaged image data, CRC left wrong");
    fixCrc(flipped, idat);
    expectSameVerdict(flipped, "damaged image data under a good CRC");

    // A stream that inflates cleanly but whose first row names filter 7.
    Bytes badFilter = writePngWithLibpng(solidImage(8, 4, PixelFormat::RGB8, {1, 2, 3, 255}));
    std::size_t at = findChunk(badFilter, "IDAT");
    Bytes rows(static_cast<std::size_t>(4 * (8 * 3 + 1)), 0);
    rows[0] = 7;
    uLongf size = compressBound(static_cast<uLong>(rows.size()));
    Bytes stream(size);
    ASSERT_EQ(compress(stream.data(), &size, rows.data(), static_cast<uLong>(rows.size())), Z_OK);
    stream.resize(size);
    Bytes rebuilt(badFilter.begin(), badFilter.begin() + static_cast<std::ptrdiff_t>(at));
    Bytes idatChunk = chunk("IDAT", stream);
    rebuilt.insert(rebuilt.end(), idatChunk.begin(), idatChunk.end());
    Bytes end = chunk("IEND", {});
    rebuilt.insert(rebuilt.end(), end.begin(), end.end());
    expectSameVerdict(rebuilt, "filter type 7");
    rows[0] = 4;
    size = compressBound(static_cast<uLong>(rows.size()));
    stream.assign(size, 0);
    ASSERT_EQ(compress(stream.data(), &size, rows.data(), static_cast<uLong>(rows.size())), Z_OK);
    stream.resize(size);
    rebuilt.resize(at);
    idatChunk = chunk("IDAT", stream);
    rebuilt.insert(rebuilt.end(), idatChunk.begin(), idatChunk.end());
    rebuilt.insert(rebuilt.end(), end.begin(), end.end());
    expectSameVerdict(rebuilt, "the same rows with a valid filter");
    EXPECT_TRUE(imageio::inspectImage(rebuilt)) << "the valid rebuild must itself be accepted";

    // An unknown critical chunk must be refused by both.
    expectSameVerdict(insertBefore(png, "IDAT", chunk("QUUX", Bytes{1, 2})), "unknown critical chunk");
    // A second header.
    std::size_t ihdr = findChunk(png, "IHDR");
    Bytes header(png.begin() + static_cast<std::ptrdiff_t>(ihdr), png.begin() + static_cast<std::ptrdiff_t>(ihdr + 25));
    Bytes twoHeaders = png;
    twoHeaders.insert(twoHeaders.begin() + static_cast<std::ptrdiff_t>(idat), header.begin(), header.end());
    expectSameVerdict(twoHeaders, "second IHDR");
}

// The encoder's own buffers are taken as whole; anything else, even the same
// bytes in another buffer, is looked at.
TEST(ImageInspectionTest, TrustsOnlyTheEncodersOwnBuffers) {
    auto own = imageio::encodePNG(sampleimages::makePhotoLikeImage(48, 32, PixelFormat::RGB8, 2));
    ASSERT_TRUE(own);
    auto summary = imageio::inspectImage(own);
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->format, imageio::ImageFormat::PNG);

    auto damagedCopy = std::make_shared<foundation::NSData>(*own);
    damagedCopy->resize(damagedCopy->size() - 20);
    EXPECT_FALSE(imageio::inspectImage(foundation::NSDataRef(damagedCopy)));
    EXPECT_FALSE(imageio::inspectImage(foundation::NSDataRef()));
}

}  // namespace
