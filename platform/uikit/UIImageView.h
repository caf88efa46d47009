// Image views: hold an image (or nothing) and ask for its size in points.
#pragma once

#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIView.h"

namespace uikit {

class UIImageView : public UIView {
public:
    static objc::Class objcClass();
    // `[[UIImageView alloc] initWithImage:image]`: the frame takes the
    // image's size; an absent image gives an empty view with a zero frame.
    static std::shared_ptr<UIImageView> create(UIImageRef image);

    const UIImageRef& image() const { return image_; }
    void setImage(UIImageRef image) { image_ = std::move(image); }

    CGSize intrinsicContentSize() const override;
    std::string dumpDetails() const override;

protected:
    friend objc::Allocation;
    explicit UIImageView(objc::Class isa = objcClass()) : UIView(isa) {}

private:
    UIImageRef image_;
};

using UIImageViewRef = std::shared_ptr<UIImageView>;

}  // namespace uikit
