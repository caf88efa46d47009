// Decoding of every format a messaging app passes on, checked against inputs
// made with each format's reference encoder.
#include "platform/imageio/ImageCodecs.h"
#include "tests/platform/imageio/IconAndTiffWriters.h"
#include "tests/platform/imageio/TestImages.h"
#include "tools/SampleJpegWriter.h"
#include "tools/SyntheticPhoto.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

using imageio::CGImage;
using imageio::ImageFormat;
using imageio::PixelFormat;
using namespace testimages;

// Mean error allowed after a lossy round trip of a photo-like image.
constexpr double kLossyTolerance = 12.0;

CGImage photo(std::uint32_t width, std::uint32_t height, PixelFormat format, std::uint32_t seed = 3) {
    return sampleimages::makePhotoLikeImage(width, height, format, seed);
}

// ---- JPEG ------------------------------------------------------------------

TEST(JpegDecodingTest, DecodesColourPhotoCloseToItsSource) {
    // The larger one's bitmap (over 4 MiB) is sized with a helper thread
    // taking half its pages, so it is decoded alongside.
    for (auto [width, height] : {std::pair{96u, 64u}, std::pair{1400u, 1000u}}) {
        CGImage source = photo(width, height, PixelFormat::RGB8);
        auto decoded = imageio::decodeImage(sampleimages::encodeJpeg(source, 95));
        ASSERT_TRUE(decoded) << width << "x" << height;
        EXPECT_EQ(decoded->format, ImageFormat::JPEG);
        EXPECT_EQ(decoded->image->format, PixelFormat::RGB8);
        EXPECT_EQ(decoded->image->width, width);
        EXPECT_EQ(decoded->image->height, height);
        // Lossy, with halved colour resolution at the shapes' hard edges: several
        // levels off on average. A different or mirrored picture is off by about 50.
        EXPECT_LT(meanAbsoluteDifference(*decoded->image, source), kLossyTolerance) << width << "x" << height;
    }
}

TEST(JpegDecodingTest, DecodesGrayscaleJpegAsOneChannel) {
    CGImage source = photo(40, 30, PixelFormat::Gray8);
    auto decoded = imageio::decodeImage(sampleimages::encodeJpeg(source, 95));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->image->format, PixelFormat::Gray8);
    EXPECT_LT(meanAbsoluteDifference(*decoded->image, source), kLossyTolerance);
}

TEST(JpegDecodingTest, ConvertsAdobeCmykToRgb) {
    // Stored inverted: cyan 255 is no cyan ink, magenta and yellow 0 full
    // ink, black 255 no black: red.
    auto red = imageio::decodeImage(writeCmykJpeg(16, 8, {255, 0, 0, 255}));
    ASSERT_TRUE(red);
    EXPECT_EQ(red->image->format, PixelFormat::RGB8);
    Rgba pixel = pixelAt(*red->image, 5, 5);
    EXPECT_GE(pixel.r, 250);
    EXPECT_LE(pixel.g, 5);
    EXPECT_LE(pixel.b, 5);

    // Black ink at half strength over no colour ink: mid grey.
    auto grey = imageio::decodeImage(writeCmykJpeg(16, 8, {255, 255, 255, 128}));
    ASSERT_TRUE(grey);
    Rgba middle = pixelAt(*grey->image, 3, 3);
    EXPECT_NEAR(middle.r, 128, 3);
    EXPECT_EQ(middle.r, middle.g);
    EXPECT_EQ(middle.g, middle.b);
}

TEST(JpegDecodingTest, ReadsEveryExifOrientationInBothByteOrders) {
    Bytes plain = sampleimages::encodeJpeg(photo(16, 8, PixelFormat::RGB8), 90);
    for (int orientation = 1; orientation <= 8; ++orientation) {
        for (bool littleEndian : {false, true}) {
            Bytes jpeg = withApp1Segment(plain, sampleimages::exifOrientationPayload(orientation, littleEndian));
            auto decoded = imageio::decodeImage(jpeg);
            ASSERT_TRUE(decoded) << orientation;
            EXPECT_EQ(decoded->exifOrientation, orientation) << (littleEndian ? "II" : "MM");
            // The orientation never changes the stored pixels.
            EXPECT_EQ(decoded->image->width, 16u);
        }
    }
}

TEST(JpegDecodingTest, TakesOrientationOneWithoutAValidTag) {
    Bytes plain = sampleimages::encodeJpeg(photo(16, 8, PixelFormat::RGB8), 90);
    auto untagged = imageio::decodeImage(plain);
    ASSERT_TRUE(untagged);
    EXPECT_EQ(untagged->exifOrientation, 1);

    auto outOfRange = imageio::decodeImage(withApp1Segment(plain, sampleimages::exifOrientationPayload(9)));
    ASSERT_TRUE(outOfRange);
    EXPECT_EQ(outOfRange->exifOrientation, 1);

    // An APP1 segment that is not EXIF (here: XMP) says nothing about orientation.
    std::string xmp = "http://ns.adobe.com/xap/1.0/";
    std::vector<std::uint8_t> payload(xmp.begin(), xmp.end());
    payload.push_back(0);
    auto withXmp = imageio::decodeImage(withApp1Segment(plain, payload));
    ASSERT_TRUE(withXmp);
    EXPECT_EQ(withXmp->exifOrientation, 1);
}

TEST(JpegDecodingTest, SurvivesAnExifDirectoryPointingOutsideTheSegment) {
    auto payload = sampleimages::exifOrientationPayload(6);
    payload[6 + 4] = 0x7F;  // first directory offset far past the end
    auto decoded = imageio::decodeImage(
        withApp1Segment(sampleimages::encodeJpeg(photo(8, 8, PixelFormat::RGB8), 90), payload));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->exifOrientation, 1);
}

// ---- PNG -------------------------------------------------------------------

TEST(PngDecodingTest, DecodesEightBitColourTypesExactly) {
    for (PixelFormat format : {PixelFormat::Gray8, PixelFormat::GrayAlpha8, PixelFormat::RGB8, PixelFormat::RGBA8}) {
        CGImage source = photo(33, 17, format);
        for (bool interlaced : {false, true}) {
            auto decoded = imageio::decodeImage(writePngWithLibpng(source, {.interlaced = interlaced}));
            ASSERT_TRUE(decoded);
            EXPECT_EQ(decoded->format, ImageFormat::PNG);
            EXPECT_EQ(decoded->image->format, format);
            EXPECT_EQ(decoded->image->pixels, source.pixels) << "interlaced " << interlaced;
        }
    }
}

TEST(PngDecodingTest, ReducesSixteenBitSamplesToEightBits) {
    for (PixelFormat format : {PixelFormat::Gray8, PixelFormat::GrayAlpha8, PixelFormat::RGB8, PixelFormat::RGBA8}) {
        CGImage source = photo(20, 10, format);
        // Written as v * 257, which scales back to exactly v.
        auto decoded = imageio::decodeImage(writePngWithLibpng(source, {.bitDepth = 16}));
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->image->format, format);
        EXPECT_EQ(decoded->image->pixels, source.pixels);
    }
}

TEST(PngDecodingTest, StretchesLowBitDepthGrayToTheFullRange) {
    CGImage source = solidImage(4, 1, PixelFormat::Gray8, {});
    for (std::uint32_t x = 0; x < 4; ++x) setPixel(source, x, 0, {static_cast<std::uint8_t>(x * 64 + 63)});
    struct Case {
        int depth;
        std::vector<std::uint8_t> expected;  // sample s of d bits stands for s * 255 / (2^d - 1)
    };
    for (const Case& c : {Case{1, {0, 0, 255, 255}}, Case{2, {0, 85, 170, 255}}, Case{4, {51, 119, 187, 255}}}) {
        auto decoded = imageio::decodeImage(writePngWithLibpng(source, {.bitDepth = c.depth}));
        ASSERT_TRUE(decoded) << c.depth;
        EXPECT_EQ(decoded->image->format, PixelFormat::Gray8);
        EXPECT_EQ(decoded->image->pixels, c.expected) << "depth " << c.depth;
    }
}

TEST(PngDecodingTest, ExpandsPaletteAndTransparencyChunks) {
    CGImage source = solidImage(3, 2, PixelFormat::RGB8, {10, 20, 30});
    setPixel(source, 1, 0, {200, 100, 50});
    setPixel(source, 2, 1, {0, 255, 0});

    auto opaque = imageio::decodeImage(writePngWithLibpng(source, {.palette = true}));
    ASSERT_TRUE(opaque);
    EXPECT_EQ(opaque->image->format, PixelFormat::RGB8);
    EXPECT_EQ(opaque->image->pixels, source.pixels);

    auto keyed = imageio::decodeImage(writePngWithLibpng(source, {.palette = true, .transparentColor = {{0, 255, 0}}}));
    ASSERT_TRUE(keyed);
    EXPECT_EQ(keyed->image->format, PixelFormat::RGBA8);
    EXPECT_EQ(pixelAt(*keyed->image, 2, 1).a, 0);
    EXPECT_EQ(pixelAt(*keyed->image, 1, 0), (Rgba{200, 100, 50, 255}));

    auto rgbKeyed = imageio::decodeImage(writePngWithLibpng(source, {.transparentColor = {{200, 100, 50}}}));
    ASSERT_TRUE(rgbKeyed);
    EXPECT_EQ(rgbKeyed->image->format, PixelFormat::RGBA8);
    EXPECT_EQ(pixelAt(*rgbKeyed->image, 1, 0).a, 0);
    EXPECT_EQ(pixelAt(*rgbKeyed->image, 0, 0), (Rgba{10, 20, 30, 255}));

    CGImage gray = solidImage(2, 1, PixelFormat::Gray8, {90});
    setPixel(gray, 1, 0, {7});
    auto grayKeyed = imageio::decodeImage(writePngWithLibpng(gray, {.transparentColor = {{7, 0, 0}}}));
    ASSERT_TRUE(grayKeyed);
    EXPECT_EQ(grayKeyed->image->format, PixelFormat::GrayAlpha8);
    EXPECT_EQ(grayKeyed->image->pixels, (std::vector<std::uint8_t>{90, 255, 7, 0}));
}

// ---- GIF -------------------------------------------------------------------

const std::vector<Rgba> kGifPalette{{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

GifFrame frameOf(int width, int height, std::uint8_t (*indexAt)(int x, int y)) {
    GifFrame frame{0, 0, width, height, {}, std::nullopt, false};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) frame.indices.push_back(indexAt(x, y));
    return frame;
}

TEST(GifDecodingTest, DecodesAnOpaqueFrameAsRgb) {
    GifFrame frame = frameOf(5, 3, [](int x, int y) { return static_cast<std::uint8_t>((x + y) % 4); });
    auto decoded = imageio::decodeImage(writeGifWithGiflib(5, 3, kGifPalette, {frame}));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->format, ImageFormat::GIF);
    EXPECT_EQ(decoded->image->format, PixelFormat::RGB8);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(pixelAt(*decoded->image, x, y), kGifPalette[(x + y) % 4]);
}

TEST(GifDecodingTest, TurnsTheTransparentIndexIntoAlpha) {
    GifFrame frame = frameOf(4, 2, [](int x, int) { return static_cast<std::uint8_t>(x); });
    frame.transparentIndex = 2;
    auto decoded = imageio::decodeImage(writeGifWithGiflib(4, 2, kGifPalette, {frame}));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->image->format, PixelFormat::RGBA8);
    EXPECT_EQ(pixelAt(*decoded->image, 2, 1).a, 0);
    EXPECT_EQ(pixelAt(*decoded->image, 3, 1), (Rgba{0, 0, 255, 255}));
}

TEST(GifDecodingTest, PlacesInterlacedRowsWhereTheyBelong) {
    // Row y uses colour y % 4, so a row landing in the wrong place shows.
    GifFrame frame = frameOf(3, 11, [](int, int y) { return static_cast<std::uint8_t>(y % 4); });
    frame.interlaced = true;
    auto decoded = imageio::decodeImage(writeGifWithGiflib(3, 11, kGifPalette, {frame}));
    ASSERT_TRUE(decoded);
    for (int y = 0; y < 11; ++y) EXPECT_EQ(pixelAt(*decoded->image, 1, y), kGifPalette[y % 4]) << "row " << y;
}

TEST(GifDecodingTest, KeepsOnlyTheFirstFrameOnItsScreen) {
    GifFrame first = frameOf(2, 2, [](int, int) -> std::uint8_t { return 1; });
    first.left = 1;
    first.top = 1;
    GifFrame second = frameOf(4, 4, [](int, int) -> std::uint8_t { return 3; });
    auto decoded = imageio::decodeImage(writeGifWithGiflib(4, 4, kGifPalette, {first, second}));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->image->width, 4u);
    // Outside the first frame the screen stays transparent; the second frame is never drawn.
    EXPECT_EQ(decoded->image->format, PixelFormat::RGBA8);
    EXPECT_EQ(pixelAt(*decoded->image, 0, 0).a, 0);
    EXPECT_EQ(pixelAt(*decoded->image, 1, 1), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(*decoded->image, 2, 2), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(*decoded->image, 3, 3).a, 0);
}

// ---- WebP ------------------------------------------------------------------

TEST(WebPDecodingTest, DecodesLosslessImagesExactly) {
    for (PixelFormat format : {PixelFormat::RGB8, PixelFormat::RGBA8}) {
        CGImage source = photo(31, 19, format);
        auto decoded = imageio::decodeImage(writeWebPWithLibwebp(source, true));
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->format, ImageFormat::WebP);
        EXPECT_EQ(decoded->image->format, format);
        EXPECT_EQ(decoded->image->pixels, source.pixels);
    }
}

TEST(WebPDecodingTest, DecodesLossyImagesCloseToTheirSource) {
    CGImage source = photo(64, 48, PixelFormat::RGB8);
    auto decoded = imageio::decodeImage(writeWebPWithLibwebp(source, false, 95));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->image->format, PixelFormat::RGB8);
    EXPECT_LT(meanAbsoluteDifference(*decoded->image, source), kLossyTolerance);
}

TEST(WebPDecodingTest, TakesTheFirstFrameOfAnAnimation) {
    CGImage red = solidImage(8, 6, PixelFormat::RGBA8, {255, 0, 0, 255});
    CGImage blue = solidImage(8, 6, PixelFormat::RGBA8, {0, 0, 255, 255});
    auto decoded = imageio::decodeImage(writeAnimatedWebPWithLibwebp({red, blue}));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->image->width, 8u);
    EXPECT_EQ(decoded->image->height, 6u);
    EXPECT_EQ(pixelAt(*decoded->image, 4, 3), (Rgba{255, 0, 0, 255}));
}

// ---- Format signatures -----------------------------------------------------

TEST(ImageFormatTest, RecognisesEachSignatureAndNothingElse) {
    CGImage small = photo(4, 4, PixelFormat::RGB8);
    EXPECT_EQ(imageio::sniffImageFormat(sampleimages::encodeJpeg(small, 80)), ImageFormat::JPEG);
    EXPECT_EQ(imageio::sniffImageFormat(writePngWithLibpng(small)), ImageFormat::PNG);
    EXPECT_EQ(imageio::sniffImageFormat(writeWebPWithLibwebp(small, true)), ImageFormat::WebP);
    GifFrame frame = frameOf(1, 1, [](int, int) -> std::uint8_t { return 0; });
    EXPECT_EQ(imageio::sniffImageFormat(writeGifWithGiflib(1, 1, kGifPalette, {frame})), ImageFormat::GIF);

    std::vector<std::uint8_t> riffWave{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    std::vector<std::uint8_t> almostPng{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A};
    EXPECT_FALSE(imageio::sniffImageFormat(riffWave));
    EXPECT_FALSE(imageio::sniffImageFormat(almostPng));
    EXPECT_FALSE(imageio::sniffImageFormat({}));
}

// ---- BMP, TIFF and ICO ---------------------------------------------------------

TEST(MoreFormatsDecodingTest, BmpTiffAndIcoDecodeToExactlyThePixelsWritten) {
    auto expectDecodesTo = [](const Bytes& file, ImageFormat format, const CGImage& expected, int orientation = 1) {
        auto decoded = imageio::decodeImage(file);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->format, format);
        EXPECT_EQ(decoded->exifOrientation, orientation);
        EXPECT_EQ(decoded->image->format, expected.format);
        EXPECT_EQ(decoded->image->width, expected.width);
        EXPECT_TRUE(decoded->image->pixels == expected.pixels);
    };
    // An odd width, so that BMP rows carry padding.
    CGImage rgb = photo(13, 7, PixelFormat::RGB8), rgba = photo(13, 7, PixelFormat::RGBA8, 5);
    CGImage gray = photo(13, 7, PixelFormat::Gray8), grayAsRgb = solidImage(13, 7, PixelFormat::RGB8, {});
    for (std::size_t i = 0; i < gray.pixels.size(); ++i) std::fill_n(&grayAsRgb.pixels[i * 3], 3, gray.pixels[i]);

    expectDecodesTo(writeBmp(rgb), ImageFormat::BMP, rgb);
    expectDecodesTo(writeBmp(rgb, true), ImageFormat::BMP, rgb);
    expectDecodesTo(writeBmp(rgba), ImageFormat::BMP, rgba);
    expectDecodesTo(writeBmp(rgba, true), ImageFormat::BMP, rgba);
    expectDecodesTo(writeTiffWithLibtiff(rgb), ImageFormat::TIFF, rgb);
    expectDecodesTo(writeTiffWithLibtiff(rgba), ImageFormat::TIFF, rgba);
    expectDecodesTo(writeTiffWithLibtiff(gray), ImageFormat::TIFF, grayAsRgb);
    // Rows stay as stored; the orientation is applied when the picture is drawn, as for a JPEG.
    expectDecodesTo(writeTiffWithLibtiff(rgb, 6), ImageFormat::TIFF, rgb, 6);

    // The largest entry is shown, whether it is a PNG or a bitmap with a mask.
    CGImage small = photo(4, 4, PixelFormat::RGB8, 9);
    auto none = [](std::uint32_t, std::uint32_t) { return false; };
    auto diagonal = [](std::uint32_t x, std::uint32_t y) { return (x + y) % 3 == 0; };
    CGImage masked = solidImage(13, 7, PixelFormat::RGBA8, {});
    for (std::uint32_t y = 0; y < 7; ++y)
        for (std::uint32_t x = 0; x < 13; ++x) {
            Rgba color = pixelAt(rgb, x, y);
            color.a = diagonal(x, y) ? 0 : 255;
            setPixel(masked, x, y, color);
        }
    expectDecodesTo(writeIco({{iconBitmap(small, none), 4, 4, 24}, {writePngWithLibpng(rgba), 13, 7, 32}}),
                    ImageFormat::ICO, rgba);
    expectDecodesTo(writeIco({{writePngWithLibpng(small), 4, 4, 32}, {iconBitmap(rgb, diagonal), 13, 7, 24}}),
                    ImageFormat::ICO, masked);
    expectDecodesTo(writeIco({{iconBitmap(rgba, none), 13, 7, 32}}), ImageFormat::ICO, rgba);

    Bytes cut = writeBmp(rgb);
    cut.pop_back();
    EXPECT_FALSE(imageio::decodeImage(cut));
}

}  // namespace
