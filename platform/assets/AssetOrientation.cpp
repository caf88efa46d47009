#include "platform/assets/AssetOrientation.h"

#include <array>

namespace assets {

std::optional<std::int64_t> assetOrientationFromExif(std::int64_t exifOrientation) {
    // Index: EXIF value - 1. EXIF 6 ("rotate 90 clockwise to view") is Right,
    // EXIF 8 is Left; the mirrored forms follow the same pattern.
    static constexpr std::array<std::int64_t, 8> kAssetOrientation{0, 4, 1, 5, 6, 3, 7, 2};
    if (exifOrientation < 1 || exifOrientation > 8) return std::nullopt;
    return kAssetOrientation[static_cast<std::size_t>(exifOrientation - 1)];
}

std::int64_t resolveAssetOrientation(const std::optional<foundation::NSDictionary>& metadata, int dataExifOrientation) {
    if (metadata) {
        auto it = metadata->find("Orientation");
        if (it != metadata->end()) {
            // Only a whole number counts (6 or 6.0); text, booleans and 6.5 do not.
            auto type = it->second.type();
            bool whole = type == foundation::PlistValue::Type::Integer ||
                         (type == foundation::PlistValue::Type::Real &&
                          *it->second.real() == static_cast<double>(*it->second.integer()));
            if (whole) {
                if (auto mapped = assetOrientationFromExif(*it->second.integer())) return *mapped;
            }
        }
    }
    return assetOrientationFromExif(dataExifOrientation).value_or(ALAssetOrientationUp);
}

}  // namespace assets
