// The two demo pictures: a harbour in landscape and a lighthouse in portrait,
// drawn from shapes and gradients with camera-like grain.
#pragma once

#include "platform/imageio/CGImage.h"

namespace sampleimages {

imageio::CGImage drawHarbour(std::uint32_t width, std::uint32_t height);
// Sky at the top, rocks and sea at the bottom, so which way is up is unmistakable.
imageio::CGImage drawLighthouse(std::uint32_t width, std::uint32_t height);

}  // namespace sampleimages
