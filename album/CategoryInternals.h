// What the category's files share and nobody else needs.
#pragma once

#include "album/ALAssetsLibrary+CustomPhotoAlbum.h"
#include "platform/foundation/NSString.h"

#include <memory>
#include <optional>
#include <string>

namespace CustomPhotoAlbum {

// A strong reference to the receiving library object. Library objects are
// always owned through shared_ptr; one that is not yields nothing, and the
// stages that need it then do nothing rather than touch a dangling object.
inline std::shared_ptr<ALAssetsLibrary> strongLibrary(ALAssetsLibrary& self) {
    return std::static_pointer_cast<ALAssetsLibrary>(self.retain());
}

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
