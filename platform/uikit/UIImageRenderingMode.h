// `imageWithRenderingMode:`: the same pixels, drawn either as they are or as a
// template in the tint colour of the view that shows them.
#pragma once

#include "platform/uikit/UIImage.h"

namespace uikit {

enum UIImageRenderingMode : long {
    UIImageRenderingModeAutomatic = 0,
    UIImageRenderingModeAlwaysOriginal = 1,
    UIImageRenderingModeAlwaysTemplate = 2,
};

// A copy of `image` (sharing its pixels) that carries a rendering mode.
class UIRenderedImage : public UIImage {
public:
    static std::shared_ptr<UIRenderedImage> create(const UIImage& image, UIImageRenderingMode mode) {
        return objc::make<UIRenderedImage>(image, mode);
    }
    UIImageRenderingMode renderingMode() const { return mode_; }

protected:
    friend objc::Allocation;
    UIRenderedImage(const UIImage& image, UIImageRenderingMode mode)
        : UIImage(image.CGImage(), image.scale(), image.imageOrientation()), mode_(mode) {}

private:
    UIImageRenderingMode mode_;
};

// Absent for an absent image, as a message to nil answers nil.
UIImageRef imageWithRenderingMode(const UIImageRef& image, UIImageRenderingMode mode);
// The mode an image was given; automatic for an image that was given none.
UIImageRenderingMode renderingModeOf(const UIImage& image);

}  // namespace uikit
