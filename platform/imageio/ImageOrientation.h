// Drawing a stored bitmap the way a viewer shows it under an EXIF
// orientation (1 to 8): the pixels are rotated and mirrored so that the
// result needs no orientation any more.
#pragma once

#include "platform/imageio/CGImage.h"

namespace imageio {

// The orientations 5 to 8 turn the picture a quarter, so they swap width and height.
inline constexpr bool swapsDimensions(int exifOrientation) { return exifOrientation >= 5 && exifOrientation <= 8; }

// The bitmap as displayed under `exifOrientation`. Orientation 1, and any
// value outside 1 to 8, leave the pixels as stored.
CGImage drawnUpright(const CGImage& image, int exifOrientation);
// The same, sharing the bitmap when nothing needs to change; absent for an absent image.
CGImageRef drawnUpright(const CGImageRef& image, int exifOrientation);

}  // namespace imageio
