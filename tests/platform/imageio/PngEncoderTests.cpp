// The PNG writer, checked by reading its output back with libpng.
#include "platform/imageio/ImageCodecs.h"
#include "platform/imageio/PngEncoder.h"
#include "tests/platform/imageio/TestImages.h"
#include "tools/CameraPhoto.h"
#include "tools/SampleJpegWriter.h"
#include "tools/SyntheticPhoto.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

#include <sys/resource.h>
#include <unistd.h>
#include <zlib.h>

namespace {

using imageio::CGImage;
using imageio::PixelFormat;
using imageio::PngRowFilter;
using namespace testimages;

const PixelFormat kAllFormats[] = {PixelFormat::Gray8, PixelFormat::GrayAlpha8, PixelFormat::RGB8, PixelFormat::RGBA8};

int expectedColorType(PixelFormat format) {
    switch (format) {
    case PixelFormat::Gray8: return 0;
    case PixelFormat::GrayAlpha8: return 4;
    case PixelFormat::RGB8: return 2;
    case PixelFormat::RGBA8: return 6;
    }
    return -1;
}

void expectReadsBackExactly(const foundation::NSDataRef& png, const CGImage& source) {
    ASSERT_TRUE(png);
    auto read = readPngWithLibpng(*png);
    ASSERT_TRUE(read) << "libpng refused the file";
    EXPECT_EQ(read->colorType, expectedColorType(source.format));
    EXPECT_EQ(read->interlace, 0);
    EXPECT_EQ(read->image.width, source.width);
    EXPECT_EQ(read->image.height, source.height);
    EXPECT_TRUE(read->image.pixels == source.pixels) << "pixels differ";
    // The photo library's quick check (inflate and filter types, no
    // defiltering) must accept the bytes, not only the buffer it remembers.
    EXPECT_TRUE(imageio::inspectImage(std::span<const std::uint8_t>(*png))) << "the quick check refused the file";
}

TEST(PngEncoderTest, PhotoPixelsOfEveryFormatComeBackExactly) {
    for (PixelFormat format : kAllFormats) {
        CGImage source = sampleimages::makePhotoLikeImage(321, 203, format, 8);
        SCOPED_TRACE(static_cast<int>(format));
        expectReadsBackExactly(imageio::encodePNG(source), source);
    }
}

TEST(PngEncoderTest, EveryFilterAndCompressorWritesTheSamePixels) {
    using imageio::PngCompressor;
    // Over 2 MiB of rows, so that the band coders really split the image,
    // end on smaller bands and join them (and their checksums) on one to
    // three threads.
    CGImage banded = sampleimages::makePhotoLikeImage(800, 700, PixelFormat::RGBA8, 10);
    CGImage small = sampleimages::makePhotoLikeImage(160, 90, PixelFormat::RGB8, 9);
    std::vector<imageio::PngEncoderSettings> settings;
    for (PngRowFilter filter : {PngRowFilter::None, PngRowFilter::Sub, PngRowFilter::Up, PngRowFilter::Average,
                                PngRowFilter::Paeth, PngRowFilter::Adaptive}) {
        for (int level : {0, 1, 2, 3}) settings.push_back({filter, PngCompressor::Isal, level, 2});
        for (int level : {0, 1, 6}) settings.push_back({filter, PngCompressor::Libdeflate, level});
        for (unsigned threads : {1u, 3u}) settings.push_back({filter, PngCompressor::ZlibRunLength, 0, threads});
    }
    for (const CGImage* source : {&banded, &small})
        for (const imageio::PngEncoderSettings& setting : settings) {
            SCOPED_TRACE(testing::Message()
                         << source->width << " filter " << int(setting.filter) << " compressor "
                         << int(setting.compressor) << " level " << setting.level << " threads " << setting.threads);
            expectReadsBackExactly(imageio::encodePNG(*source, setting), *source);
        }
}

TEST(PngEncoderTest, ExtremeShapesComeBackExactly) {
    // One pixel, one row, one column, byte values at both ends of the range,
    // and rows wider than the window the encoder's trial looks at.
    for (auto [w, h] :
         {std::pair{1u, 1u}, std::pair{513u, 1u}, std::pair{1u, 257u}, std::pair{6000u, 3u}, std::pair{2000u, 30u}}) {
        CGImage source = sampleimages::makePhotoLikeImage(w, h, PixelFormat::RGB8, w + h);
        for (std::size_t i = 0; i < source.pixels.size(); i += 5) source.pixels[i] = i % 2 ? 0 : 255;
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        expectReadsBackExactly(imageio::encodePNG(source), source);
    }
    // A photo whose rows the trial does not look at are incompressible
    // noise: the stream outgrows the room the trial's share set aside.
    CGImage misleading = sampleimages::makeCameraPhoto(1000, 800, PixelFormat::RGB8);
    std::uint32_t seed = 7;
    for (std::uint32_t y = 0; y < misleading.height; ++y) {
        if (y <= 8 || (y >= 395 && y <= 404) || y >= 791) continue;  // the trial's rows, and those above them
        for (std::size_t x = 0; x < misleading.rowBytes(); ++x, seed = seed * 1664525 + 1013904223)
            misleading.pixels[y * misleading.rowBytes() + x] = static_cast<std::uint8_t>(seed >> 24);
    }
    SCOPED_TRACE("noise where the trial does not look");
    expectReadsBackExactly(imageio::encodePNG(misleading), misleading);
}

TEST(PngEncoderTest, WritesOnlyTheThreeRequiredChunksWithValidChecksums) {
    CGImage source = sampleimages::makePhotoLikeImage(40, 30, PixelFormat::RGB8, 1);
    auto png = imageio::encodePNG(source);
    ASSERT_TRUE(png);
    const Bytes& bytes = *png;
    std::vector<std::string> chunkTypes;
    std::size_t at = 8;
    while (at + 12 <= bytes.size()) {
        std::uint32_t length = std::uint32_t{bytes[at]} << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 |
                               bytes[at + 3];
        ASSERT_LE(at + 12 + length, bytes.size());
        chunkTypes.emplace_back(reinterpret_cast<const char*>(&bytes[at + 4]), 4);
        uLong crc = crc32(0, &bytes[at + 4], 4 + length);
        std::uint32_t stored = std::uint32_t{bytes[at + 8 + length]} << 24 | bytes[at + 9 + length] << 16 |
                               bytes[at + 10 + length] << 8 | bytes[at + 11 + length];
        EXPECT_EQ(crc, stored) << chunkTypes.back();
        at += 12 + length;
    }
    EXPECT_EQ(at, bytes.size());
    EXPECT_EQ(chunkTypes, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
}

TEST(PngEncoderTest, PhotoCompressesWellBelowItsRawSize) {
    // A photo's neighbouring pixels are alike; a writer that stored them
    // unfiltered or uncompressed would come out near the raw size.
    CGImage source = sampleimages::makePhotoLikeImage(400, 300, PixelFormat::RGB8, 4);
    auto png = imageio::encodePNG(source);
    ASSERT_TRUE(png);
    EXPECT_LT(png->size(), source.pixels.size() * 3 / 4);
}

// A screenshot-like picture: text-like glyphs, drawn from a small set, in
// lines on a flat background; full of exact repeats.
CGImage screenshotLike(std::uint32_t width, std::uint32_t height) {
    CGImage image = solidImage(width, height, PixelFormat::RGB8, {250, 250, 250});
    sampleimages::SeededRandom random(17);
    bool glyphs[16][12][8];
    for (auto& glyph : glyphs)
        for (auto& row : glyph)
            for (bool& ink : row) ink = random.unit() < 0.35;
    for (std::uint32_t top = 10; top + 12 < height; top += 20)
        for (std::uint32_t left = 10; left + 8 < width; left += 9) {
            const auto& glyph = glyphs[random.next() % 16];
            for (std::uint32_t y = 0; y < 12; ++y)
                for (std::uint32_t x = 0; x < 8; ++x)
                    if (glyph[y][x]) setPixel(image, left + x, top + y, {30, 30, 40});
        }
    return image;
}

TEST(PngEncoderTest, NeverLargerThanADefaultEncoderForAnyKindOfPicture) {
    // Grain straight from a camera defeats string matching; a photo passed on
    // as JPEG keeps some noise or none; alpha doubles the kinds of bytes; a
    // screenshot is made of exact repeats. Each is chosen its own settings,
    // and none may come out larger than libpng's default output.
    CGImage grainy = sampleimages::makePhotoLikeImage(640, 480, PixelFormat::RGB8, 14);
    CGImage smooth = *imageio::decodeImage(sampleimages::encodeJpeg(grainy, 80))->image;
    CGImage camera = *imageio::decodeImage(
                          sampleimages::encodeJpeg(sampleimages::makeCameraPhoto(640, 480, PixelFormat::RGB8), 85))
                          ->image;
    CGImage withAlpha = sampleimages::makeCameraPhoto(640, 480, PixelFormat::RGBA8);
    CGImage screenshot = screenshotLike(640, 480);
    for (auto [name, source] :
         {std::pair{"grainy", &grainy}, std::pair{"smooth", &smooth}, std::pair{"camera", &camera},
          std::pair{"alpha", &withAlpha}, std::pair{"screenshot", &screenshot}}) {
        auto ours = imageio::encodePNG(*source);
        ASSERT_TRUE(ours);
        EXPECT_LE(ours->size(), writePngWithLibpng(*source).size())
            << name << " chosen as kind " << int(imageio::choosePngEncoderSettings(*source).kind);
    }
}

TEST(PngEncoderTest, RefusesEmptyAndInconsistentBitmaps) {
    CGImage empty;
    EXPECT_FALSE(imageio::encodePNG(empty));

    CGImage noRows = solidImage(5, 1, PixelFormat::RGB8, {});
    noRows.height = 0;
    noRows.pixels.clear();
    EXPECT_FALSE(imageio::encodePNG(noRows));

    CGImage shortBuffer = solidImage(5, 5, PixelFormat::RGBA8, {});
    shortBuffer.pixels.resize(shortBuffer.pixels.size() - 1);
    EXPECT_FALSE(imageio::encodePNG(shortBuffer));
}

TEST(PngEncoderTest, RunningOutOfMemoryGivesNoPictureInsteadOfEndingTheProcess) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers' shadow memory needs far more address space than the limit leaves";
#else
    // A photo and its JPEG are made first; then the process may map only
    // 4 MiB more, less than a second bitmap, the PNG or a helper thread's
    // stack needs. Decoding and encoding must answer "nothing", which a save
    // reports as failed, instead of ending the messaging app.
    CGImage photo = sampleimages::makePhotoLikeImage(2000, 1500, PixelFormat::RGB8, 3);
    std::vector<std::uint8_t> jpeg = sampleimages::encodeJpeg(photo, 85);
    EXPECT_EXIT(
        {
            std::size_t pages = 0;
            std::ifstream("/proc/self/statm") >> pages;
            rlimit limit{};
            getrlimit(RLIMIT_AS, &limit);
            limit.rlim_cur = pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) + (4 << 20);
            setrlimit(RLIMIT_AS, &limit);
            bool refused = !imageio::encodePNG(photo) && !imageio::decodeImage(jpeg);
            std::_Exit(refused ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
#endif
}

}  // namespace
