// The property dictionary of encoded images: what the album saver hands the
// photo library as the metadata of a save.
#include "platform/imageio/CGImageSource.h"
#include "platform/imageio/ImageCodecs.h"
#include "tests/platform/imageio/TestImages.h"
#include "tools/SampleJpegWriter.h"
#include "tools/SyntheticPhoto.h"

#include <gtest/gtest.h>

namespace {

using foundation::NSDictionary;
using foundation::PlistValue;
using imageio::CGImage;
using imageio::PixelFormat;
using namespace testimages;

std::optional<NSDictionary> propertiesOf(const Bytes& bytes) {
    auto source = imageio::CGImageSourceCreateWithData(std::make_shared<const foundation::NSData>(bytes), nullptr);
    return imageio::CGImageSourceCopyPropertiesAtIndex(source, 0, nullptr);
}

std::optional<std::int64_t> integerAt(const NSDictionary& dictionary, const char* key) {
    auto it = dictionary.find(key);
    return it == dictionary.end() ? std::nullopt : it->second.integer();
}

const NSDictionary* subdictionary(const NSDictionary& dictionary, const char* key) {
    auto it = dictionary.find(key);
    return it == dictionary.end() ? nullptr : it->second.dictionary();
}

CGImage smallPhoto(PixelFormat format) { return sampleimages::makePhotoLikeImage(30, 20, format, 6); }

TEST(ImagePropertiesTest, OpaquePngReportsSizeDepthAndColourModelOnly) {
    auto properties = propertiesOf(writePngWithLibpng(smallPhoto(PixelFormat::RGB8)));
    ASSERT_TRUE(properties);
    EXPECT_EQ(integerAt(*properties, "PixelWidth"), 30);
    EXPECT_EQ(integerAt(*properties, "PixelHeight"), 20);
    EXPECT_EQ(integerAt(*properties, "Depth"), 8);
    EXPECT_EQ(properties->at("ColorModel"), PlistValue("RGB"));
    for (const char* absent : {"HasAlpha", "Orientation", "DPIWidth", "DPIHeight", "{TIFF}"})
        EXPECT_FALSE(properties->contains(absent)) << absent;
    const NSDictionary* png = subdictionary(*properties, "{PNG}");
    ASSERT_TRUE(png);
    EXPECT_EQ(*png, (NSDictionary{{"InterlaceType", PlistValue(0)}}));
}

TEST(ImagePropertiesTest, AlphaAndGrayAreReported) {
    auto rgba = propertiesOf(writePngWithLibpng(smallPhoto(PixelFormat::RGBA8)));
    ASSERT_TRUE(rgba);
    EXPECT_EQ(rgba->at("HasAlpha"), PlistValue(true));
    EXPECT_EQ(rgba->at("ColorModel"), PlistValue("RGB"));

    auto gray = propertiesOf(writePngWithLibpng(smallPhoto(PixelFormat::Gray8)));
    ASSERT_TRUE(gray);
    EXPECT_EQ(gray->at("ColorModel"), PlistValue("Gray"));
    EXPECT_FALSE(gray->contains("HasAlpha"));

    auto grayAlpha = propertiesOf(writePngWithLibpng(smallPhoto(PixelFormat::GrayAlpha8)));
    ASSERT_TRUE(grayAlpha);
    EXPECT_EQ(grayAlpha->at("ColorModel"), PlistValue("Gray"));
    EXPECT_EQ(grayAlpha->at("HasAlpha"), PlistValue(true));

    // A transparency chunk gives an RGB image alpha too.
    auto keyed = propertiesOf(writePngWithLibpng(smallPhoto(PixelFormat::RGB8), {.transparentColor = {{1, 2, 3}}}));
    ASSERT_TRUE(keyed);
    EXPECT_EQ(keyed->at("HasAlpha"), PlistValue(true));
}

TEST(ImagePropertiesTest, PhysicalSizeGivesPixelsPerMeterAndDpi) {
    // 2835 pixels per meter is 72 dots per inch; 11811 is 300.
    auto properties = propertiesOf(
        writePngWithLibpng(smallPhoto(PixelFormat::RGB8), {.physicalSize = {{2835, 11811, 1}}}));
    ASSERT_TRUE(properties);
    EXPECT_EQ(integerAt(*properties, "DPIWidth"), 72);
    EXPECT_EQ(integerAt(*properties, "DPIHeight"), 300);
    const NSDictionary* png = subdictionary(*properties, "{PNG}");
    ASSERT_TRUE(png);
    EXPECT_EQ(integerAt(*png, "XPixelsPerMeter"), 2835);
    EXPECT_EQ(integerAt(*png, "YPixelsPerMeter"), 11811);

    // With the unit unknown the chunk only gives an aspect ratio: no DPI.
    auto aspectOnly = propertiesOf(writePngWithLibpng(smallPhoto(PixelFormat::RGB8), {.physicalSize = {{2, 1, 0}}}));
    ASSERT_TRUE(aspectOnly);
    EXPECT_FALSE(aspectOnly->contains("DPIWidth"));
    EXPECT_EQ(integerAt(*subdictionary(*aspectOnly, "{PNG}"), "XPixelsPerMeter"), 2);
}

TEST(ImagePropertiesTest, ColourChunksAppearInThePngDictionary) {
    const std::array<std::uint32_t, 8> srgbPrimaries{31270, 32900, 64000, 33000, 30000, 60000, 15000, 6000};
    auto properties = propertiesOf(writePngWithLibpng(
        smallPhoto(PixelFormat::RGB8), {.gamma = 45455, .chromaticities = srgbPrimaries, .srgbIntent = 0}));
    ASSERT_TRUE(properties);
    const NSDictionary* png = subdictionary(*properties, "{PNG}");
    ASSERT_TRUE(png);
    EXPECT_NEAR(png->at("Gamma").real().value_or(0), 0.45455, 1e-9);
    EXPECT_EQ(integerAt(*png, "sRGBIntent"), 0);
    const auto* chromaticities = png->at("Chromaticities").array();
    ASSERT_TRUE(chromaticities);
    ASSERT_EQ(chromaticities->size(), 8u);
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_NEAR((*chromaticities)[i].real().value_or(-1), srgbPrimaries[i] / 100000.0, 1e-9) << i;
}

TEST(ImagePropertiesTest, InterlaceAndSixteenBitDepthAreReported) {
    auto interlaced = propertiesOf(writePngWithLibpng(smallPhoto(PixelFormat::RGB8), {.interlaced = true}));
    ASSERT_TRUE(interlaced);
    EXPECT_EQ(integerAt(*subdictionary(*interlaced, "{PNG}"), "InterlaceType"), 1);

    auto deep = propertiesOf(writePngWithLibpng(smallPhoto(PixelFormat::RGB8), {.bitDepth = 16}));
    ASSERT_TRUE(deep);
    EXPECT_EQ(integerAt(*deep, "Depth"), 16);
}

TEST(ImagePropertiesTest, OurOwnPngCarriesNoOrientationOrColourChunks) {
    auto png = imageio::encodePNG(smallPhoto(PixelFormat::RGBA8));
    ASSERT_TRUE(png);
    auto properties = propertiesOf(*png);
    ASSERT_TRUE(properties);
    EXPECT_FALSE(properties->contains("Orientation"));
    EXPECT_FALSE(properties->contains("{TIFF}"));
    EXPECT_EQ(properties->at("HasAlpha"), PlistValue(true));
    EXPECT_EQ(*subdictionary(*properties, "{PNG}"), (NSDictionary{{"InterlaceType", PlistValue(0)}}));
}

TEST(ImagePropertiesTest, JpegReportsItsExifOrientationTwice) {
    auto tagged = propertiesOf(sampleimages::encodeJpeg(smallPhoto(PixelFormat::RGB8), 90, 6));
    ASSERT_TRUE(tagged);
    EXPECT_EQ(integerAt(*tagged, "PixelWidth"), 30);
    EXPECT_EQ(integerAt(*tagged, "PixelHeight"), 20);
    EXPECT_EQ(integerAt(*tagged, "Depth"), 8);
    EXPECT_EQ(tagged->at("ColorModel"), PlistValue("RGB"));
    EXPECT_EQ(integerAt(*tagged, "Orientation"), 6);
    const NSDictionary* tiff = subdictionary(*tagged, "{TIFF}");
    ASSERT_TRUE(tiff);
    EXPECT_EQ(integerAt(*tiff, "Orientation"), 6);

    auto untagged = propertiesOf(sampleimages::encodeJpeg(smallPhoto(PixelFormat::Gray8), 90));
    ASSERT_TRUE(untagged);
    EXPECT_EQ(untagged->at("ColorModel"), PlistValue("Gray"));
    EXPECT_FALSE(untagged->contains("Orientation"));
    EXPECT_FALSE(untagged->contains("{TIFF}"));
}

TEST(ImagePropertiesTest, GifAndWebPReportSizeAndAlpha) {
    GifFrame frame{0, 0, 7, 5, Bytes(35, 1), 0, false};
    auto gif = propertiesOf(writeGifWithGiflib(7, 5, {{0, 0, 0}, {9, 9, 9}}, {frame}));
    ASSERT_TRUE(gif);
    EXPECT_EQ(integerAt(*gif, "PixelWidth"), 7);
    EXPECT_EQ(integerAt(*gif, "PixelHeight"), 5);
    EXPECT_EQ(integerAt(*gif, "Depth"), 8);
    EXPECT_EQ(gif->at("ColorModel"), PlistValue("RGB"));
    EXPECT_EQ(gif->at("HasAlpha"), PlistValue(true));

    auto opaqueWebP = propertiesOf(writeWebPWithLibwebp(smallPhoto(PixelFormat::RGB8), true));
    ASSERT_TRUE(opaqueWebP);
    EXPECT_EQ(integerAt(*opaqueWebP, "PixelWidth"), 30);
    EXPECT_FALSE(opaqueWebP->contains("HasAlpha"));
    auto alphaWebP = propertiesOf(writeWebPWithLibwebp(smallPhoto(PixelFormat::RGBA8), true));
    ASSERT_TRUE(alphaWebP);
    EXPECT_EQ(alphaWebP->at("HasAlpha"), PlistValue(true));
}

TEST(ImagePropertiesTest, NothingForAbsentSourcesLaterIndicesAndNonImages) {
    auto png = std::make_shared<const foundation::NSData>(writePngWithLibpng(smallPhoto(PixelFormat::RGB8)));
    auto source = imageio::CGImageSourceCreateWithData(png, nullptr);
    ASSERT_TRUE(source);
    EXPECT_EQ(imageio::CGImageSourceGetCount(source), 1u);
    EXPECT_TRUE(imageio::CGImageSourceCopyPropertiesAtIndex(source, 0, nullptr));
    EXPECT_FALSE(imageio::CGImageSourceCopyPropertiesAtIndex(source, 1, nullptr));
    EXPECT_FALSE(imageio::CGImageSourceCopyPropertiesAtIndex(nullptr, 0, nullptr));

    EXPECT_FALSE(imageio::CGImageSourceCreateWithData(nullptr, nullptr));
    std::string text = "not a picture";
    EXPECT_FALSE(imageio::CGImageSourceCreateWithData(
        std::make_shared<const foundation::NSData>(text.begin(), text.end()), nullptr));
    // A PNG signature without a header chunk: a source, but no properties.
    Bytes signatureOnly(png->begin(), png->begin() + 8);
    EXPECT_FALSE(propertiesOf(signatureOnly));
}

}  // namespace
