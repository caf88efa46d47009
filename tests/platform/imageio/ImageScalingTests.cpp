// Area-filter downscaling, as used for the photo library's full-screen image.
#include "platform/imageio/ImageCodecs.h"
#include "tests/platform/imageio/TestImages.h"
#include "tools/SyntheticPhoto.h"

#include <gtest/gtest.h>

namespace {

using imageio::CGImage;
using imageio::PixelFormat;
using namespace testimages;

imageio::CGImageRef shared(CGImage image) { return std::make_shared<const CGImage>(std::move(image)); }

TEST(ImageScalingTest, LongerSideMeetsTheLimitAndTheShapeIsKept) {
    auto landscape = imageio::scaledToFit(shared(sampleimages::makePhotoLikeImage(400, 300, PixelFormat::RGB8)), 100);
    ASSERT_TRUE(landscape);
    EXPECT_EQ(landscape->width, 100u);
    EXPECT_EQ(landscape->height, 75u);

    auto portrait = imageio::scaledToFit(shared(sampleimages::makePhotoLikeImage(30, 1000, PixelFormat::RGBA8)), 200);
    ASSERT_TRUE(portrait);
    EXPECT_EQ(portrait->width, 6u);
    EXPECT_EQ(portrait->height, 200u);
    EXPECT_EQ(portrait->format, PixelFormat::RGBA8);

    // A sliver never collapses to nothing.
    auto sliver = imageio::scaledToFit(shared(solidImage(1000, 1, PixelFormat::Gray8, {5})), 10);
    ASSERT_TRUE(sliver);
    EXPECT_EQ(sliver->height, 1u);
}

TEST(ImageScalingTest, ImagesThatFitAreNeverEnlarged) {
    auto image = shared(sampleimages::makePhotoLikeImage(120, 80, PixelFormat::RGB8));
    EXPECT_EQ(imageio::scaledToFit(image, 120), image);
    EXPECT_EQ(imageio::scaledToFit(image, 4000), image);
}

TEST(ImageScalingTest, EachOutputPixelAveragesTheAreaItCovers) {
    // Whole blocks: 2x2 source blocks of one colour become single pixels of it.
    CGImage blocks = solidImage(4, 4, PixelFormat::RGB8, {});
    const Rgba colors[4] = {{200, 0, 0}, {0, 200, 0}, {0, 0, 200}, {90, 90, 90}};
    for (std::uint32_t y = 0; y < 4; ++y)
        for (std::uint32_t x = 0; x < 4; ++x) setPixel(blocks, x, y, colors[(y / 2) * 2 + x / 2]);
    auto halved = imageio::scaledToFit(shared(blocks), 2);
    ASSERT_TRUE(halved);
    for (std::uint32_t i = 0; i < 4; ++i) EXPECT_EQ(pixelAt(*halved, i % 2, i / 2), colors[i]);

    // Partial coverage: three source pixels 0, 90, 180 onto two outputs of
    // 1.5 source pixels each: (0 + 0.5 * 90) / 1.5 = 30 and (0.5 * 90 + 180) / 1.5 = 150.
    CGImage ramp = solidImage(3, 1, PixelFormat::Gray8, {});
    setPixel(ramp, 1, 0, {90});
    setPixel(ramp, 2, 0, {180});
    auto narrowed = imageio::scaledToFit(shared(ramp), 2);
    ASSERT_TRUE(narrowed);
    EXPECT_EQ(narrowed->pixels, (std::vector<std::uint8_t>{30, 150}));
}

TEST(ImageScalingTest, FlatColourStaysExactlyFlat) {
    auto scaled = imageio::scaledToFit(shared(solidImage(333, 177, PixelFormat::RGBA8, {17, 99, 254, 128})), 50);
    ASSERT_TRUE(scaled);
    for (std::uint32_t y = 0; y < scaled->height; ++y)
        for (std::uint32_t x = 0; x < scaled->width; ++x)
            ASSERT_EQ(pixelAt(*scaled, x, y), (Rgba{17, 99, 254, 128})) << x << "," << y;
}

TEST(ImageScalingTest, AbsentImageOrZeroLimitGivesNothing) {
    EXPECT_FALSE(imageio::scaledToFit(nullptr, 100));
    EXPECT_FALSE(imageio::scaledToFit(shared(solidImage(4, 4, PixelFormat::RGB8, {})), 0));
}

}  // namespace
