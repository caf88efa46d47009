// Moving pixels between the stand-in's bitmaps (8-bit components, straight
// alpha, upright after orientation) and cairo's image surfaces (native-endian
// 32-bit words, premultiplied alpha).
#pragma once

#include "platform/uikit/UIImage.h"
#include "platform/uikit/render/CairoHandles.h"

namespace uikit::render {

// A surface with the image's pixels as they are seen: the image orientation
// applied. Null for an image without pixels.
SurfacePtr surfaceForImage(const UIImage& image);

// The surface's pixels with straight alpha: RGB when every pixel is opaque,
// RGBA otherwise. Null for a surface that is not an image surface.
imageio::CGImageRef bitmapFromSurface(cairo_surface_t* surface);

// An image of the surface's pixels at `scale` pixels per point (orientation up).
UIImageRef imageFromSurface(cairo_surface_t* surface, double scale);

}  // namespace uikit::render
