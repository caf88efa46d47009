// A camera photo as a messaging app receives it, made from a seed: clouds
// with detail at every scale (a 1/f spectrum), shapes with hard edges, two
// lines of caption and Gaussian sensor noise. Saved as JPEG by the caller,
// it is the picture the PNG encoder's size and speed are judged on.
#pragma once

#include "platform/imageio/CGImage.h"

#include <cstdint>

namespace sampleimages {

// RGBA8 and GrayAlpha8 get a soft vignette with a rounded cut-out as alpha.
imageio::CGImage makeCameraPhoto(std::uint32_t width, std::uint32_t height, imageio::PixelFormat format,
                                 double noiseSigma = 8.0, std::uint32_t seed = 1);

}  // namespace sampleimages
