// What the photo store's index holds for one asset and one group, as the
// library objects receive it: read in one query, then kept by the object so
// that reading a property never goes back to the database.
#pragma once

#include "platform/assets/AssetsLibrary.h"

#include <cstdint>
#include <string>

namespace assets {

enum class AssetKind : std::int64_t { Photo = 0, Video = 1 };

struct AssetRecord {
    std::int64_t id = 0;
    std::string uuid;  // uppercase 8-4-4-4-12
    AssetKind kind = AssetKind::Photo;
    std::string devicePath;  // "/var/mobile/Media/DCIM/100APPLE/IMG_0001.PNG"
    std::string extension;   // "PNG", "JPG", "GIF", "WEBP", "MOV", "MP4"
    // ALAssetOrientation: the numbering of UIImageOrientation (Up 0 ... RightMirrored 7).
    std::int64_t orientation = 0;
    // The metadata dictionary as stored (a binary property list); empty when
    // the asset was written without one.
    std::string metadataPropertyList;
    double createdSinceReferenceDate = 0;  // seconds since 2001-01-01 UTC
    std::int64_t byteSize = 0;
};

struct GroupRecord {
    std::int64_t id = 0;
    std::string uuid;
    std::string name;
    ALAssetsGroupType type = ALAssetsGroupAlbum;
    double createdSinceReferenceDate = 0;
};

// A user album (and only a user album) takes new assets.
inline bool isEditableGroupType(ALAssetsGroupType type) { return type == ALAssetsGroupAlbum; }

}  // namespace assets
