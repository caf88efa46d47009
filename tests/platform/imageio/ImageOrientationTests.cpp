// Drawing a bitmap upright under each EXIF orientation. Where each corner
// lands for each orientation is checked through UIImagePNGRepresentation in
// the UIKit tests; here: the geometry of the operation itself.
#include "platform/imageio/ImageOrientation.h"
#include "tests/platform/imageio/TestImages.h"
#include "tools/SyntheticPhoto.h"

#include <gtest/gtest.h>

namespace {

using imageio::CGImage;
using imageio::PixelFormat;

// Viewing under one orientation and then under its inverse restores the
// stored pixels: the quarter turns 6 and 8 undo each other, every other
// orientation (a mirror or a half turn) undoes itself.
int inverseOf(int orientation) { return orientation == 6 ? 8 : orientation == 8 ? 6 : orientation; }

TEST(ImageOrientationTest, EachOrientationIsUndoneByItsInverse) {
    for (PixelFormat format : {PixelFormat::Gray8, PixelFormat::GrayAlpha8, PixelFormat::RGB8, PixelFormat::RGBA8}) {
        // Larger than one copy tile, with odd sides, so tile edges are crossed.
        CGImage stored = sampleimages::makePhotoLikeImage(131, 70, format, 12);
        for (int orientation = 1; orientation <= 8; ++orientation) {
            CGImage upright = imageio::drawnUpright(stored, orientation);
            bool quarter = orientation >= 5;
            EXPECT_EQ(upright.width, quarter ? 70u : 131u);
            EXPECT_EQ(upright.height, quarter ? 131u : 70u);
            EXPECT_EQ(upright.format, format);
            CGImage restored = imageio::drawnUpright(upright, inverseOf(orientation));
            EXPECT_TRUE(restored.pixels == stored.pixels) << "orientation " << orientation;
        }
    }
}

TEST(ImageOrientationTest, QuarterTurnsComposeToAHalfTurn) {
    CGImage stored = sampleimages::makePhotoLikeImage(67, 90, PixelFormat::RGB8, 13);
    CGImage twice = imageio::drawnUpright(imageio::drawnUpright(stored, 6), 6);
    CGImage half = imageio::drawnUpright(stored, 3);
    EXPECT_EQ(twice.width, half.width);
    EXPECT_TRUE(twice.pixels == half.pixels);
}

TEST(ImageOrientationTest, SharesTheBitmapWhenNothingChanges) {
    auto stored = std::make_shared<const CGImage>(sampleimages::makePhotoLikeImage(8, 4, PixelFormat::RGB8));
    EXPECT_EQ(imageio::drawnUpright(stored, 1), stored);
    EXPECT_EQ(imageio::drawnUpright(stored, 0), stored);
    EXPECT_EQ(imageio::drawnUpright(stored, 9), stored);
    EXPECT_NE(imageio::drawnUpright(stored, 2), stored);
    EXPECT_FALSE(imageio::drawnUpright(imageio::CGImageRef{}, 6));
}

}  // namespace
