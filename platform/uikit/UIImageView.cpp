#include "platform/uikit/UIImageView.h"

#include "platform/uikit/UIImageRenderingMode.h"

#include <cstdio>

namespace uikit {

objc::Class UIImageView::objcClass() {
    static objc::Class cls = objc::objc_registerClass("UIImageView", UIView::objcClass(),
                                                      [](objc::Class isa) { return objc::make<UIImageView>(isa); });
    return cls;
}

std::shared_ptr<UIImageView> UIImageView::create(UIImageRef image) {
    auto view = objc::make<UIImageView>();
    CGSize size = image ? image->size() : CGSize{};
    view->initWithFrame(CGRect{{0, 0}, size});
    view->image_ = std::move(image);
    return view;
}

CGSize UIImageView::intrinsicContentSize() const {
    if (!image_) return {UIViewNoIntrinsicMetric, UIViewNoIntrinsicMetric};
    return image_->size();
}

std::string UIImageView::dumpDetails() const {
    if (!image_) return "image=none";
    CGSize size = image_->size();
    char text[64];
    std::snprintf(text, sizeof text, "image=%gx%g", size.width, size.height);
    std::string details = text;
    if (renderingModeOf(*image_) == UIImageRenderingModeAlwaysTemplate) details += " template";
    return details;
}

}  // namespace uikit
