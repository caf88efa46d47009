// UIImagePNGRepresentation draws the picture upright: a viewer of the PNG,
// which carries no orientation, sees what a viewer of the oriented image saw.
#include "platform/foundation/DeviceRoot.h"
#include "platform/imageio/CGImageSource.h"
#include "platform/uikit/UIImage.h"
#include "tests/platform/imageio/TestImages.h"
#include "tests/support/TestSupport.h"
#include "tools/SampleJpegWriter.h"
#include "tools/SyntheticPhoto.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using imageio::CGImage;
using imageio::PixelFormat;
using uikit::UIImage;
using namespace testimages;

enum Corner { TopLeft, TopRight, BottomLeft, BottomRight };

const Rgba kCornerColors[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}};

// A 5x3 grey bitmap whose four corner pixels have four different colours.
CGImage cornerImage() {
    CGImage image = solidImage(5, 3, PixelFormat::RGB8, {128, 128, 128});
    setPixel(image, 0, 0, kCornerColors[TopLeft]);
    setPixel(image, 4, 0, kCornerColors[TopRight]);
    setPixel(image, 0, 2, kCornerColors[BottomLeft]);
    setPixel(image, 4, 2, kCornerColors[BottomRight]);
    return image;
}

Rgba cornerOf(const CGImage& image, Corner corner) {
    std::uint32_t right = image.width - 1, bottom = image.height - 1;
    switch (corner) {
    case TopLeft: return pixelAt(image, 0, 0);
    case TopRight: return pixelAt(image, right, 0);
    case BottomLeft: return pixelAt(image, 0, bottom);
    case BottomRight: return pixelAt(image, right, bottom);
    }
    return {};
}

struct OrientationCase {
    uikit::UIImageOrientation orientation;
    const char* name;
    // Where the stored top-left, top-right, bottom-left and bottom-right
    // corners appear to a viewer.
    Corner shownAt[4];
};

// Each row follows from what the orientation means: Right is a quarter turn
// clockwise (the stored left edge becomes the top), Left a quarter turn
// counter-clockwise, Down a half turn; each mirrored one mirrors the stored
// picture left to right before making the same turn.
const OrientationCase kCases[] = {
    {uikit::UIImageOrientationUp, "Up", {TopLeft, TopRight, BottomLeft, BottomRight}},
    {uikit::UIImageOrientationDown, "Down", {BottomRight, BottomLeft, TopRight, TopLeft}},
    {uikit::UIImageOrientationLeft, "Left", {BottomLeft, TopLeft, BottomRight, TopRight}},
    {uikit::UIImageOrientationRight, "Right", {TopRight, BottomRight, TopLeft, BottomLeft}},
    {uikit::UIImageOrientationUpMirrored, "UpMirrored", {TopRight, TopLeft, BottomRight, BottomLeft}},
    {uikit::UIImageOrientationDownMirrored, "DownMirrored", {BottomLeft, BottomRight, TopLeft, TopRight}},
    {uikit::UIImageOrientationLeftMirrored, "LeftMirrored", {TopLeft, BottomLeft, TopRight, BottomRight}},
    {uikit::UIImageOrientationRightMirrored, "RightMirrored", {BottomRight, TopRight, BottomLeft, TopLeft}},
};

TEST(UIImagePNGRepresentationTest, EveryOrientationIsDrawnUpright) {
    auto stored = std::make_shared<const CGImage>(cornerImage());
    for (const OrientationCase& c : kCases) {
        SCOPED_TRACE(c.name);
        auto image = UIImage::imageWithCGImage(stored, 1.0, c.orientation);
        auto png = uikit::UIImagePNGRepresentation(image.get());
        ASSERT_TRUE(png);
        auto read = readPngWithLibpng(*png);
        ASSERT_TRUE(read);
        // The PNG has the size the image has in points.
        EXPECT_EQ(read->image.width, image->size().width);
        EXPECT_EQ(read->image.height, image->size().height);
        for (int corner = 0; corner < 4; ++corner)
            EXPECT_EQ(cornerOf(read->image, c.shownAt[corner]), kCornerColors[corner]) << "stored corner " << corner;
    }
}

TEST(UIImagePNGRepresentationTest, SidewaysJpegBecomesAnUprightPng) {
    testsupport::processDeviceRoot();
    // The camera held upright stores a 48x64 portrait as 64x48 landscape
    // pixels plus EXIF orientation 6 (turn a quarter clockwise to view): the
    // stored row y, read left to right, is the portrait's column 47 - y read
    // top to bottom.
    CGImage portrait = sampleimages::makePhotoLikeImage(48, 64, PixelFormat::RGB8, 31);
    CGImage stored = solidImage(64, 48, PixelFormat::RGB8, {});
    for (std::uint32_t y = 0; y < 48; ++y)
        for (std::uint32_t x = 0; x < 64; ++x) setPixel(stored, x, y, pixelAt(portrait, 47 - y, x));
    auto folder = foundation::hostPath("/var/mobile/Media/Incoming");
    std::filesystem::create_directories(folder);
    writeFile((folder / "sideways.jpg").string(), sampleimages::encodeJpeg(stored, 98, 6));

    auto image = UIImage::imageWithContentsOfFile("/var/mobile/Media/Incoming/sideways.jpg");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->imageOrientation(), uikit::UIImageOrientationRight);
    auto png = uikit::UIImagePNGRepresentation(image.get());
    ASSERT_TRUE(png);
    auto read = readPngWithLibpng(*png);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->image.width, 48u);
    EXPECT_EQ(read->image.height, 64u);
    // JPEG is lossy (several levels off on average at hard colour edges); a
    // mirrored or half-turned result would be off by about 50.
    EXPECT_LT(meanAbsoluteDifference(read->image, portrait), 12.0);

    // And the PNG says nothing about orientation: it needs none.
    auto properties = imageio::CGImageSourceCopyPropertiesAtIndex(imageio::CGImageSourceCreateWithData(png, nullptr), 0,
                                                                  nullptr);
    ASSERT_TRUE(properties);
    EXPECT_FALSE(properties->contains("Orientation"));
    EXPECT_EQ(properties->at("PixelWidth").integer(), 48);
}

TEST(UIImagePNGRepresentationTest, UprightImagesAreWrittenPixelForPixel) {
    for (PixelFormat format : {PixelFormat::Gray8, PixelFormat::GrayAlpha8, PixelFormat::RGB8, PixelFormat::RGBA8}) {
        auto bitmap = std::make_shared<const CGImage>(sampleimages::makePhotoLikeImage(77, 33, format, 2));
        auto png = uikit::UIImagePNGRepresentation(
            UIImage::imageWithCGImage(bitmap, 2.0, uikit::UIImageOrientationUp).get());
        ASSERT_TRUE(png);
        auto read = readPngWithLibpng(*png);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->image.format, format);
        EXPECT_TRUE(read->image.pixels == bitmap->pixels);
    }
}

TEST(UIImagePNGRepresentationTest, UnknownOrientationIsWrittenAsStored) {
    auto stored = std::make_shared<const CGImage>(cornerImage());
    auto png = uikit::UIImagePNGRepresentation(
        UIImage::imageWithCGImage(stored, 1.0, static_cast<uikit::UIImageOrientation>(-1)).get());
    ASSERT_TRUE(png);
    auto read = readPngWithLibpng(*png);
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->image.pixels == stored->pixels);
}

TEST(UIImagePNGRepresentationTest, NothingForAnAbsentImageOrOneWithoutPixels) {
    EXPECT_FALSE(uikit::UIImagePNGRepresentation(nullptr));
    auto noBitmap = UIImage::create(nullptr, 1.0, uikit::UIImageOrientationUp);
    EXPECT_FALSE(uikit::UIImagePNGRepresentation(noBitmap.get()));
    auto emptyBitmap = UIImage::create(std::make_shared<const CGImage>(), 1.0, uikit::UIImageOrientationRight);
    EXPECT_FALSE(uikit::UIImagePNGRepresentation(emptyBitmap.get()));
}

}  // namespace
