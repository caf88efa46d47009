// Reading the photo library back in tests, through the same library objects an
// app uses: which groups exist, and what each holds.
#pragma once

#include "platform/assets/AssetsLibrary.h"

#include <string>
#include <vector>

namespace phototest {

struct StoredAsset {
    std::string url;
    std::string type;           // ALAssetTypePhoto or ALAssetTypeVideo
    imageio::CGImageRef image;  // the stored bitmap; absent for a video
};

// The assets of the first group of `type` named `name`, in the group's order;
// empty when there is no such group.
std::vector<StoredAsset> assetsIn(const std::string& name, assets::ALAssetsGroupType type = assets::ALAssetsGroupAlbum);
// The assets of the saved-photos group (the camera roll).
std::vector<StoredAsset> cameraRoll();
// The names of every user album, in the library's order.
std::vector<std::string> albumNames();

}  // namespace phototest
