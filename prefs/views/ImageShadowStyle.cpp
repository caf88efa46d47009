#include "prefs/views/ImageShadowStyle.h"

namespace snapfold::prefs {

void applyImageShadowStyle(uikit::UIView& imageView) {
    uikit::CALayer& layer = imageView.layer();
    layer.shadowColor = uikit::UIColor::blackColor();
    layer.shadowOffset = uikit::CGSize{0, 1};
    layer.shadowOpacity = 0.2;
    layer.shadowRadius = 1;
    imageView.setClipsToBounds(false);
}

}  // namespace snapfold::prefs
