// Image sources over encoded data: the property dictionary of an encoded
// image, as the platform's ImageIO reports it.
#pragma once

#include "platform/foundation/NSData.h"
#include "platform/foundation/PropertyList.h"

#include <cstddef>
#include <memory>
#include <optional>

namespace imageio {

struct CGImageSource;
using CGImageSourceRef = std::shared_ptr<const CGImageSource>;

// An image source over `data`; absent when there is no data or the data is not
// an image format the source knows. `options` is accepted and ignored.
CGImageSourceRef CGImageSourceCreateWithData(const foundation::NSDataRef& data,
                                             const foundation::NSDictionary* options);

// The properties of the image at `index`: PixelWidth, PixelHeight, Depth,
// ColorModel, HasAlpha (only when there is alpha), Orientation (only when the
// data carries one), DPIWidth/DPIHeight (only with a pHYs chunk), and the
// format's sub-dictionary ("{PNG}": InterlaceType and, when present, Gamma,
// Chromaticities, sRGBIntent, XPixelsPerMeter, YPixelsPerMeter). Absent for an
// absent source or an index past the last image.
std::optional<foundation::NSDictionary> CGImageSourceCopyPropertiesAtIndex(const CGImageSourceRef& source,
                                                                           std::size_t index,
                                                                           const foundation::NSDictionary* options);

}  // namespace imageio
