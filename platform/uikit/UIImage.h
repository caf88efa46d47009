// Images: decoded pixels with a scale and an orientation.
#pragma once

#include "platform/foundation/NSData.h"
#include "platform/imageio/CGImage.h"
#include "platform/runtime/Runtime.h"

#include <memory>
#include <string_view>

namespace uikit {

// Numerically the platform's UIImageOrientation (and ALAssetOrientation).
enum UIImageOrientation : long {
    UIImageOrientationUp = 0,
    UIImageOrientationDown = 1,   // 180 degrees
    UIImageOrientationLeft = 2,   // 90 degrees counter-clockwise
    UIImageOrientationRight = 3,  // 90 degrees clockwise
    UIImageOrientationUpMirrored = 4,
    UIImageOrientationDownMirrored = 5,
    UIImageOrientationLeftMirrored = 6,
    UIImageOrientationRightMirrored = 7,
};

struct CGSize {
    double width = 0;
    double height = 0;
    bool operator==(const CGSize&) const = default;
};

class UIImage : public objc::Object {
public:
    // Decodes the file at `path` (a device path, or relative to the working
    // directory): JPEG with its EXIF orientation, PNG, GIF (first frame),
    // WebP. Absent for anything else: a missing file, a video, text, a
    // truncated or corrupt image.
    static std::shared_ptr<UIImage> imageWithContentsOfFile(std::string_view path);
    // The same as imageWithContentsOfFile (`[[UIImage alloc] initWithContentsOfFile:]`).
    static std::shared_ptr<UIImage> initWithContentsOfFile(std::string_view path);
    // Absent when `image` is absent.
    static std::shared_ptr<UIImage> imageWithCGImage(imageio::CGImageRef image, double scale,
                                                     UIImageOrientation orientation);

    // `[[UIImage alloc] initWithCGImage:image scale:scale orientation:orientation]`,
    // also without pixels. A scale that is not a positive number is taken as 1.
    static std::shared_ptr<UIImage> create(imageio::CGImageRef image, double scale, UIImageOrientation orientation);

    // The runtime class "UIImage", registered on first use; every UIImage is
    // an instance of it.
    static objc::Class classObject();

    const imageio::CGImageRef& CGImage() const { return image_; }
    double scale() const { return scale_; }
    UIImageOrientation imageOrientation() const { return orientation_; }
    // In points: pixel size divided by the scale, width and height swapped for
    // the four quarter-turn orientations.
    CGSize size() const;

protected:
    friend objc::Allocation;
    UIImage(imageio::CGImageRef image, double scale, UIImageOrientation orientation);

private:
    imageio::CGImageRef image_;
    double scale_;
    UIImageOrientation orientation_;
};

using UIImageRef = std::shared_ptr<UIImage>;

// The image orientation that an EXIF orientation tag (1 to 8) stands for; Up
// for any other value.
UIImageOrientation orientationFromExif(int exifOrientation);
// The EXIF orientation tag (1 to 8) of an image orientation; 1 for a value
// outside the eight orientations.
int exifOrientationFor(UIImageOrientation orientation);

// PNG data of the image, drawn upright: the orientation is applied to the
// pixels and the PNG carries none, so a photo taken sideways is stored the way
// it is seen. Absent for an absent image or one without pixels.
foundation::NSDataRef UIImagePNGRepresentation(const UIImage* image);

}  // namespace uikit
