// The orientation the library stores with a photo, in the numbering of
// ALAssetOrientation (the same as UIImageOrientation: Up 0, Down 1, Left 2,
// Right 3, then the mirrored four), taken from the EXIF numbering (1 to 8)
// that image data and metadata dictionaries use.
#pragma once

#include "platform/foundation/PropertyList.h"

#include <cstdint>
#include <optional>

namespace assets {

inline constexpr std::int64_t ALAssetOrientationUp = 0;

// The ALAssetOrientation for an EXIF orientation; nothing outside 1 to 8.
std::optional<std::int64_t> assetOrientationFromExif(std::int64_t exifOrientation);

// The orientation of a new photo: the metadata dictionary's "Orientation"
// when it holds a valid EXIF value (metadata given with the data overrides
// the data's own), else the orientation recorded in the image data, else Up.
std::int64_t resolveAssetOrientation(const std::optional<foundation::NSDictionary>& metadata, int dataExifOrientation);

}  // namespace assets
