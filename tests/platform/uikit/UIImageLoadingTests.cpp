// UIImage: loading files by device path, the orientation a JPEG's EXIF gives
// it, its size in points, and its place in the runtime.
#include "platform/foundation/DeviceRoot.h"
#include "platform/runtime/Runtime.h"
#include "platform/uikit/UIImage.h"
#include "tests/platform/imageio/TestImages.h"
#include "tests/support/TestSupport.h"
#include "tools/SampleJpegWriter.h"
#include "tools/SyntheticPhoto.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace {

using imageio::PixelFormat;
using uikit::UIImage;
namespace fs = std::filesystem;
using namespace testimages;

class UIImageTest : public testing::Test {
protected:
    void SetUp() override {
        testsupport::processDeviceRoot();
        folder_ = foundation::hostPath(kFolder);
        fs::create_directories(folder_);
    }

    // Writes a file into the messaging app's media folder and answers its device path.
    std::string putFile(const std::string& name, const Bytes& bytes) {
        writeFile((folder_ / name).string(), bytes);
        return std::string(kFolder) + "/" + name;
    }

    static constexpr const char* kFolder = "/var/mobile/Media/Incoming";
    fs::path folder_;
};

imageio::CGImage photo(std::uint32_t w, std::uint32_t h) {
    return sampleimages::makePhotoLikeImage(w, h, PixelFormat::RGB8, 21);
}

TEST_F(UIImageTest, JpegExifOrientationBecomesImageOrientation) {
    // What a viewer does for each EXIF value, in the platform's numbering.
    const uikit::UIImageOrientation expected[9] = {
        uikit::UIImageOrientationUp,             // (unused)
        uikit::UIImageOrientationUp,             // 1: as stored
        uikit::UIImageOrientationUpMirrored,     // 2: mirrored left to right
        uikit::UIImageOrientationDown,           // 3: half turn
        uikit::UIImageOrientationDownMirrored,   // 4: mirrored top to bottom
        uikit::UIImageOrientationLeftMirrored,   // 5: mirrored along the main diagonal
        uikit::UIImageOrientationRight,          // 6: quarter turn clockwise
        uikit::UIImageOrientationRightMirrored,  // 7: mirrored along the other diagonal
        uikit::UIImageOrientationLeft,           // 8: quarter turn counter-clockwise
    };
    Bytes plain = sampleimages::encodeJpeg(photo(40, 30), 90);
    for (int exif = 1; exif <= 8; ++exif) {
        std::string path = putFile("exif" + std::to_string(exif) + ".jpg",
                                   withApp1Segment(plain, sampleimages::exifOrientationPayload(exif)));
        auto image = UIImage::imageWithContentsOfFile(path);
        ASSERT_TRUE(image) << exif;
        EXPECT_EQ(image->imageOrientation(), expected[exif]) << "EXIF " << exif;
        EXPECT_EQ(image->scale(), 1.0);
        EXPECT_EQ(image->CGImage()->width, 40u);  // the stored pixels stay as stored
        uikit::CGSize size = image->size();
        EXPECT_EQ(size, exif >= 5 ? (uikit::CGSize{30, 40}) : (uikit::CGSize{40, 30})) << "EXIF " << exif;
    }
}

TEST_F(UIImageTest, OtherFormatsLoadUpright) {
    std::vector<std::pair<std::string, Bytes>> files{
        {"a.png", writePngWithLibpng(photo(12, 9))},
        {"a.webp", writeWebPWithLibwebp(photo(12, 9), true)},
        {"a.gif",
         writeGifWithGiflib(12, 9, {{0, 0, 0}, {255, 255, 255}}, {GifFrame{0, 0, 12, 9, Bytes(108, 1), {}, false}})},
    };
    for (const auto& [name, bytes] : files) {
        auto image = UIImage::imageWithContentsOfFile(putFile(name, bytes));
        ASSERT_TRUE(image) << name;
        EXPECT_EQ(image->imageOrientation(), uikit::UIImageOrientationUp) << name;
        EXPECT_EQ(image->size(), (uikit::CGSize{12, 9})) << name;
    }
}

TEST_F(UIImageTest, EverySpellingOfADevicePathNamesOneFile) {
    putFile("alias.jpg", sampleimages::encodeJpeg(photo(8, 8), 90));
    for (const char* path : {"/var/mobile/Media/Incoming/alias.jpg", "/private/var/mobile/Media/Incoming/alias.jpg",
                             "/User/Media/Incoming/alias.jpg"})
        EXPECT_TRUE(UIImage::imageWithContentsOfFile(path)) << path;
}

TEST_F(UIImageTest, RelativePathsResolveAgainstTheWorkingDirectory) {
    putFile("relative.png", writePngWithLibpng(photo(6, 5)));
    fs::path relative = fs::relative(folder_ / "relative.png", fs::current_path());
    ASSERT_TRUE(relative.is_relative());
    auto image = UIImage::imageWithContentsOfFile(relative.string());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), (uikit::CGSize{6, 5}));
}

TEST_F(UIImageTest, InitWithContentsOfFileLoadsTheSame) {
    std::string path = putFile("init.jpg", sampleimages::encodeJpeg(photo(20, 10), 90, 8));
    auto viaInit = UIImage::initWithContentsOfFile(path);
    auto viaFactory = UIImage::imageWithContentsOfFile(path);
    ASSERT_TRUE(viaInit && viaFactory);
    EXPECT_EQ(viaInit->imageOrientation(), viaFactory->imageOrientation());
    EXPECT_EQ(viaInit->CGImage()->pixels, viaFactory->CGImage()->pixels);
}

TEST_F(UIImageTest, NothingForFilesThatAreNotPictures) {
    std::string text = "see you at the harbour";
    Bytes jpeg = sampleimages::encodeJpeg(photo(64, 48), 90);
    EXPECT_FALSE(UIImage::imageWithContentsOfFile(putFile("note.txt", Bytes(text.begin(), text.end()))));
    EXPECT_FALSE(UIImage::imageWithContentsOfFile(
        putFile("clip.mp4", Bytes{0, 0, 0, 0x10, 'f', 't', 'y', 'p', 'q', 't', ' ', ' ', 0, 0, 0, 0})));
    EXPECT_FALSE(
        UIImage::imageWithContentsOfFile(putFile("cut.jpg", Bytes(jpeg.begin(), jpeg.begin() + jpeg.size() / 2))));
    EXPECT_FALSE(UIImage::imageWithContentsOfFile(putFile("empty.jpg", {})));
    EXPECT_FALSE(UIImage::imageWithContentsOfFile("/var/mobile/Media/Incoming/missing.jpg"));
    EXPECT_FALSE(UIImage::imageWithContentsOfFile(""));
    EXPECT_FALSE(UIImage::initWithContentsOfFile("/var/mobile/Media/Incoming"));
}

TEST(UIImageCGImageTest, KeepsScaleAndOrientationAndMeasuresInPoints) {
    auto bitmap = std::make_shared<const imageio::CGImage>(photo(60, 40));
    auto image = UIImage::imageWithCGImage(bitmap, 2.0, uikit::UIImageOrientationLeftMirrored);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->CGImage(), bitmap);
    EXPECT_EQ(image->scale(), 2.0);
    EXPECT_EQ(image->imageOrientation(), uikit::UIImageOrientationLeftMirrored);
    EXPECT_EQ(image->size(), (uikit::CGSize{20, 30}));

    auto down = UIImage::imageWithCGImage(bitmap, 1.0, uikit::UIImageOrientationDown);
    EXPECT_EQ(down->size(), (uikit::CGSize{60, 40}));
    // An asset's orientation arrives as a plain number; one outside the eight still makes an image.
    auto odd = UIImage::imageWithCGImage(bitmap, 1.0, static_cast<uikit::UIImageOrientation>(42));
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->size(), (uikit::CGSize{60, 40}));
}

TEST(UIImageCGImageTest, NothingWithoutABitmapAndNoNonsenseScale) {
    EXPECT_FALSE(UIImage::imageWithCGImage(nullptr, 1.0, uikit::UIImageOrientationUp));
    auto bitmap = std::make_shared<const imageio::CGImage>(photo(10, 10));
    for (double scale : {0.0, -2.0, std::nan("")}) {
        auto image = UIImage::imageWithCGImage(bitmap, scale, uikit::UIImageOrientationUp);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->scale(), 1.0);
        EXPECT_EQ(image->size(), (uikit::CGSize{10, 10}));
    }
}

TEST(UIImageRuntimeTest, ImagesAreInstancesOfTheRegisteredClass) {
    auto image = UIImage::imageWithCGImage(std::make_shared<const imageio::CGImage>(photo(2, 2)), 1.0,
                                           uikit::UIImageOrientationUp);
    objc::Class cls = objc::objc_getClass("UIImage");
    ASSERT_NE(cls, nullptr);
    EXPECT_EQ(cls->name(), "UIImage");
    EXPECT_EQ(image->isa(), cls);
    EXPECT_EQ(objc::object_getClass(image.get()), cls);

    // `[UIImage alloc]` through the runtime makes a UIImage, without pixels.
    auto allocated = cls->allocateInstance();
    auto* asImage = dynamic_cast<UIImage*>(allocated.get());
    ASSERT_NE(asImage, nullptr);
    EXPECT_FALSE(asImage->CGImage());
    EXPECT_EQ(asImage->size(), (uikit::CGSize{0, 0}));
}

}  // namespace
