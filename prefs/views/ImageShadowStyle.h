// The shadow under the bundle's images: black, offset (0, 1), opacity 0.2,
// radius 1, with clipping off so that it falls outside the image.
#pragma once

#include "platform/uikit/UIView.h"

namespace snapfold::prefs {

void applyImageShadowStyle(uikit::UIView& imageView);

}  // namespace snapfold::prefs
