// What must decode to nothing: files that are not pictures, pictures cut
// short or damaged, and headers that ask for absurd amounts of memory.
#include "platform/imageio/ImageCodecs.h"
#include "tests/platform/imageio/TestImages.h"
#include "tests/support/TestSupport.h"
#include "tools/SampleJpegWriter.h"
#include "tools/SyntheticPhoto.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using imageio::CGImage;
using imageio::PixelFormat;
using namespace testimages;

Bytes textBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

Bytes mp4LikeFile() {
    // An ISO media file starts with a "ftyp" box, then (here) an empty "mdat".
    Bytes bytes{0,   0,   0,   0x18, 'f', 't', 'y', 'p', 'i', 's', 'o', 'm', 0,   0,   2,   0,
                'i', 's', 'o', 'm',  'm', 'p', '4', '1', 0,   0,   0,   8,   'm', 'd', 'a', 't'};
    return bytes;
}

Bytes photoJpeg() {
    return sampleimages::encodeJpeg(sampleimages::makePhotoLikeImage(64, 48, PixelFormat::RGB8, 5), 90);
}

Bytes photoPng() { return writePngWithLibpng(sampleimages::makePhotoLikeImage(64, 48, PixelFormat::RGB8, 5)); }

Bytes cut(const Bytes& bytes, std::size_t keep) { return Bytes(bytes.begin(), bytes.begin() + keep); }

void putU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

TEST(ImageRefusalTest, RefusesFilesThatAreNotPictures) {
    EXPECT_FALSE(imageio::decodeImage(textBytes("Hello from the chat, see you at the harbour!\n")));
    EXPECT_FALSE(imageio::decodeImage(mp4LikeFile()));
    EXPECT_FALSE(imageio::decodeImage({}));
}

TEST(ImageRefusalTest, RefusesTruncatedJpegs) {
    Bytes jpeg = photoJpeg();
    // Cut inside the entropy-coded data: libjpeg would pad it with grey and
    // only warn ("premature end of data"); that must count as failure.
    EXPECT_FALSE(imageio::decodeImage(cut(jpeg, jpeg.size() / 2)));
    // Only the final EOI marker missing.
    EXPECT_FALSE(imageio::decodeImage(cut(jpeg, jpeg.size() - 2)));
    // Cut inside the headers.
    EXPECT_FALSE(imageio::decodeImage(cut(jpeg, 20)));
    EXPECT_FALSE(imageio::decodeImage(cut(jpeg, 3)));
}

TEST(ImageRefusalTest, RefusesCorruptJpegData) {
    Bytes jpeg = photoJpeg();
    // Overwrite a stretch of the scan with a marker that has no place there.
    for (std::size_t i = jpeg.size() / 2; i < jpeg.size() / 2 + 64; i += 2) {
        jpeg[i] = 0xFF;
        jpeg[i + 1] = 0xD3;
    }
    EXPECT_FALSE(imageio::decodeImage(jpeg));
}

TEST(ImageRefusalTest, RefusesTruncatedAndCorruptPngs) {
    Bytes png = photoPng();
    EXPECT_FALSE(imageio::decodeImage(cut(png, png.size() / 2)));   // inside the image data
    EXPECT_FALSE(imageio::decodeImage(cut(png, png.size() - 12)));  // IEND missing
    EXPECT_FALSE(imageio::decodeImage(cut(png, 8)));                // signature only

    Bytes damaged = png;
    damaged[damaged.size() / 2] ^= 0x55;  // the IDAT's checksum no longer matches
    EXPECT_FALSE(imageio::decodeImage(damaged));
}

TEST(ImageRefusalTest, RefusesTruncatedGifsAndWebPs) {
    std::vector<Rgba> palette{{0, 0, 0}, {255, 255, 255}};
    GifFrame frame{0, 0, 64, 64, Bytes(64 * 64), std::nullopt, false};
    for (std::size_t i = 0; i < frame.indices.size(); ++i)
        frame.indices[i] = static_cast<std::uint8_t>((i * 7 / 3) % 2);
    Bytes gif = writeGifWithGiflib(64, 64, palette, {frame});
    EXPECT_FALSE(imageio::decodeImage(cut(gif, gif.size() / 2)));

    Bytes webp = writeWebPWithLibwebp(sampleimages::makePhotoLikeImage(64, 48, PixelFormat::RGB8, 5), false);
    EXPECT_FALSE(imageio::decodeImage(cut(webp, webp.size() / 2)));
}

TEST(ImageRefusalTest, RefusesHeadersBeyondOneHundredMegapixels) {
    // 20000 x 20000 is 400 megapixels: refused from the header alone.
    Bytes png = writePngWithLibpng(solidImage(1, 1, PixelFormat::RGB8, {}));
    putU32(png, 16, 20000);
    putU32(png, 20, 20000);
    // Recompute the IHDR checksum so that only the size is wrong.
    Bytes withValidCrc = png;
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::size_t i = 12; i < 12 + 4 + 13; ++i) {
        crc ^= withValidCrc[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    putU32(withValidCrc, 29, ~crc);
    EXPECT_FALSE(imageio::decodeImage(withValidCrc));

    Bytes jpeg = sampleimages::encodeJpeg(solidImage(8, 8, PixelFormat::RGB8, {}), 90);
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {  // SOF0: height, then width
            jpeg[i + 5] = 0xFF, jpeg[i + 6] = 0xFF, jpeg[i + 7] = 0xFF, jpeg[i + 8] = 0xFF;
            break;
        }
    }
    EXPECT_FALSE(imageio::decodeImage(jpeg));

    std::vector<Rgba> palette{{0, 0, 0}, {255, 255, 255}};
    Bytes gif = writeGifWithGiflib(65535, 65535, palette, {GifFrame{0, 0, 1, 1, {1}, std::nullopt, false}});
    EXPECT_FALSE(imageio::decodeImage(gif));
}

TEST(ImageRefusalTest, DamagedFilesNeverYieldAnInconsistentBitmap) {
    // Flip bytes all over valid files of every format; whatever the decoders
    // make of it, an answer is a complete bitmap (and the sanitizer builds
    // check that nothing is read or written out of bounds on the way).
    std::vector<Bytes> originals{
        photoJpeg(), photoPng(),
        writeWebPWithLibwebp(sampleimages::makePhotoLikeImage(32, 24, PixelFormat::RGBA8, 2), false)};
    std::vector<Rgba> palette{{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    GifFrame frame{0, 0, 16, 16, Bytes(256), 1, true};
    for (std::size_t i = 0; i < frame.indices.size(); ++i) frame.indices[i] = static_cast<std::uint8_t>(i % 4);
    originals.push_back(writeGifWithGiflib(16, 16, palette, {frame}));

    sampleimages::SeededRandom random(99);
    int decodedCount = 0;
    for (const Bytes& original : originals) {
        for (int round = 0; round < 150; ++round) {
            Bytes damaged = original;
            int flips = 1 + static_cast<int>(random.unit() * 8);
            for (int f = 0; f < flips; ++f)
                damaged[static_cast<std::size_t>(random.unit() * damaged.size())] = static_cast<std::uint8_t>(
                    random.next());
            auto decoded = imageio::decodeImage(damaged);
            if (!decoded) continue;
            ++decodedCount;
            ASSERT_TRUE(decoded->image);
            EXPECT_EQ(decoded->image->pixels.size(), decoded->image->rowBytes() * decoded->image->height);
            EXPECT_GE(decoded->exifOrientation, 1);
            EXPECT_LE(decoded->exifOrientation, 8);
        }
    }
    // Flips in ancillary places (metadata, padding) still decode: the loop did exercise answers.
    EXPECT_GT(decodedCount, 0);
}

TEST(ImageRefusalTest, FileReadingRefusesMissingEmptyAndNonRegularPaths) {
    auto root = testsupport::processDeviceRoot();
    EXPECT_FALSE(imageio::decodeImageFile(root / "no-such-picture.jpg"));
    EXPECT_FALSE(imageio::decodeImageFile(root));  // a folder

    auto empty = root / "empty.jpg";
    writeFile(empty.string(), {});
    EXPECT_FALSE(imageio::decodeImageFile(empty));

    auto real = root / "real.jpg";
    writeFile(real.string(), photoJpeg());
    auto decoded = imageio::decodeImageFile(real);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->image->width, 64u);
}

}  // namespace
