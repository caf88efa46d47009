// Room for a decoded bitmap's pixels, for every decoder that fills rows in
// place (JPEG, PNG, TIFF).
#pragma once

#include "platform/imageio/CGImage.h"

namespace imageio::detail {

// Sizes `image.pixels` for its width, height and format, zeroed. A large
// bitmap is fresh memory that the kernel hands over a page at a time as each
// is first written, and on this zeroing pass that is most of the cost; a
// helper thread asks for the second half's pages at once while this thread
// zeroes the first, so the page faults are taken on two processors.
void sizePixels(CGImage& image);

}  // namespace imageio::detail
