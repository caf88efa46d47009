#include "platform/uikit/UIImage.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/imageio/ImageCodecs.h"
#include "platform/imageio/ImageOrientation.h"

#include <array>
#include <cmath>

namespace uikit {

namespace {

// Index: EXIF orientation tag - 1.
constexpr std::array<UIImageOrientation, 8> kOrientationForExif{
    UIImageOrientationUp,
    UIImageOrientationUpMirrored,
    UIImageOrientationDown,
    UIImageOrientationDownMirrored,
    UIImageOrientationLeftMirrored,
    UIImageOrientationRight,
    UIImageOrientationRightMirrored,
    UIImageOrientationLeft,
};

bool isQuarterTurn(UIImageOrientation orientation) {
    return orientation == UIImageOrientationLeft || orientation == UIImageOrientationRight ||
           orientation == UIImageOrientationLeftMirrored || orientation == UIImageOrientationRightMirrored;
}

}  // namespace

UIImageOrientation orientationFromExif(int exifOrientation) {
    if (exifOrientation < 1 || exifOrientation > 8) return UIImageOrientationUp;
    return kOrientationForExif[static_cast<std::size_t>(exifOrientation - 1)];
}

int exifOrientationFor(UIImageOrientation orientation) {
    for (std::size_t i = 0; i < kOrientationForExif.size(); ++i)
        if (kOrientationForExif[i] == orientation) return static_cast<int>(i) + 1;
    return 1;
}

objc::Class UIImage::classObject() {
    // `alloc` on the class makes an image without pixels, as
    // `[UIImage alloc]` followed by a plain `init` does on the phone.
    static const objc::Class cls = objc::objc_registerClass("UIImage", objc::rootClass(), [](objc::Class) {
        return objc::make<UIImage>(nullptr, 1.0, UIImageOrientationUp);
    });
    return cls;
}

UIImage::UIImage(imageio::CGImageRef image, double scale, UIImageOrientation orientation)
    : objc::Object(classObject()),
      image_(std::move(image)),
      scale_(std::isfinite(scale) && scale > 0 ? scale : 1.0),
      orientation_(orientation) {}

std::shared_ptr<UIImage> UIImage::create(imageio::CGImageRef image, double scale, UIImageOrientation orientation) {
    return objc::make<UIImage>(std::move(image), scale, orientation);
}

std::shared_ptr<UIImage> UIImage::imageWithContentsOfFile(std::string_view path) {
    if (path.empty()) return nullptr;
    auto decoded = imageio::decodeImageFile(foundation::hostPath(path));
    if (!decoded) return nullptr;
    return create(std::move(decoded->image), 1.0, orientationFromExif(decoded->exifOrientation));
}

std::shared_ptr<UIImage> UIImage::initWithContentsOfFile(std::string_view path) {
    return imageWithContentsOfFile(path);
}

std::shared_ptr<UIImage> UIImage::imageWithCGImage(imageio::CGImageRef image, double scale,
                                                   UIImageOrientation orientation) {
    if (!image) return nullptr;
    return create(std::move(image), scale, orientation);
}

CGSize UIImage::size() const {
    if (!image_) return {};
    double width = image_->width / scale_, height = image_->height / scale_;
    if (isQuarterTurn(orientation_)) return {height, width};
    return {width, height};
}

foundation::NSDataRef UIImagePNGRepresentation(const UIImage* image) {
    if (!image || !image->CGImage() || image->CGImage()->pixels.empty()) return nullptr;
    const imageio::CGImage& stored = *image->CGImage();
    // The phone's encoder writes the stored pixels and drops the orientation,
    // so a photo taken sideways would be saved sideways. Drawing it upright
    // first keeps the picture the way it was seen.
    int exifOrientation = exifOrientationFor(image->imageOrientation());
    if (exifOrientation == 1) return imageio::encodePNG(stored);
    return imageio::encodePNG(imageio::drawnUpright(stored, exifOrientation));
}

}  // namespace uikit
