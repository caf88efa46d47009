#include "platform/uikit/UIImageRenderingMode.h"

namespace uikit {

UIImageRef imageWithRenderingMode(const UIImageRef& image, UIImageRenderingMode mode) {
    if (!image) return nullptr;
    return UIRenderedImage::create(*image, mode);
}

UIImageRenderingMode renderingModeOf(const UIImage& image) {
    if (auto* rendered = dynamic_cast<const UIRenderedImage*>(&image)) return rendered->renderingMode();
    return UIImageRenderingModeAutomatic;
}

}  // namespace uikit
