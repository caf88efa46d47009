// What the category's files share and nobody else needs.
#pragma once

#include "album/ALAssetsLibrary+CustomPhotoAlbum.h"
#include "platform/foundation/NSString.h"

#include <memory>
#include <optional>
#include <string>

namespace CustomPhotoAlbum {

// The group's display name, absent on the final call of an enumeration.
inline std::optional<std::string> groupName(const ALAssetsGroupRef& group) {
    if (!group) return std::nullopt;
    std::optional<foundation::PlistValue> name = group->valueForProperty(assets::ALAssetsGroupPropertyName);
    if (!name || !name->string()) return std::nullopt;
    return *name->string();
}

// The album name is the receiver of `compare:`, the group's name its argument;
// only the same order is a match.
inline bool albumNameMatches(const std::string& albumName, const std::optional<std::string>& name) {
    if (!name) return false;
    return foundation::compare(albumName, std::string_view(*name)) == foundation::NSOrderedSame;
}

}  // namespace CustomPhotoAlbum
