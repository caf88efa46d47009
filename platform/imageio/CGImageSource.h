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

// The platform's property keys.
inline constexpr const char* kCGImagePropertyPixelWidth = "PixelWidth";
inline constexpr const char* kCGImagePropertyPixelHeight = "PixelHeight";
inline constexpr const char* kCGImagePropertyDepth = "Depth";
inline constexpr const char* kCGImagePropertyColorModel = "ColorModel";
inline constexpr const char* kCGImagePropertyHasAlpha = "HasAlpha";
inline constexpr const char* kCGImagePropertyOrientation = "Orientation";
inline constexpr const char* kCGImagePropertyDPIWidth = "DPIWidth";
inline constexpr const char* kCGImagePropertyDPIHeight = "DPIHeight";
inline constexpr const char* kCGImagePropertyColorModelRGB = "RGB";
inline constexpr const char* kCGImagePropertyColorModelGray = "Gray";
inline constexpr const char* kCGImagePropertyColorModelCMYK = "CMYK";
inline constexpr const char* kCGImagePropertyPNGDictionary = "{PNG}";
inline constexpr const char* kCGImagePropertyPNGInterlaceType = "InterlaceType";
inline constexpr const char* kCGImagePropertyPNGGamma = "Gamma";
inline constexpr const char* kCGImagePropertyPNGChromaticities = "Chromaticities";
inline constexpr const char* kCGImagePropertyPNGsRGBIntent = "sRGBIntent";
inline constexpr const char* kCGImagePropertyPNGXPixelsPerMeter = "XPixelsPerMeter";
inline constexpr const char* kCGImagePropertyPNGYPixelsPerMeter = "YPixelsPerMeter";
inline constexpr const char* kCGImagePropertyTIFFDictionary = "{TIFF}";
inline constexpr const char* kCGImagePropertyTIFFOrientation = "Orientation";

// An image source over `data`; absent when there is no data or the data is not
// an image format the source knows. `options` is accepted and ignored.
CGImageSourceRef CGImageSourceCreateWithData(const foundation::NSDataRef& data,
                                             const foundation::NSDictionary* options);

// The number of images the source holds: 1 for every format it knows (only
// the first frame of an animation is ever read), 0 for an absent source.
std::size_t CGImageSourceGetCount(const CGImageSourceRef& source);

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
