// Reading an album's images back.
#include "album/ALAssetsLibrary+CustomPhotoAlbum.h"
#include "album/CategoryInternals.h"
#include "platform/foundation/NSLog.h"

namespace CustomPhotoAlbum {

namespace {
// The name the platform gives the load failure callback, which it logs.
constexpr const char* kLoadFailureFunctionName =
    "__61-[ALAssetsLibrary(CustomPhotoAlbum) loadImagesFromAlbum:completion:]_block_invoke_2";

uikit::UIImageRef imageOfAsset(const assets::ALAssetRef& asset) {
    // The orientation is read as a 32-bit signed number (0 when absent) and
    // passed unchanged.
    std::int32_t orientation = 0;
    if (auto value = asset->valueForProperty(assets::ALAssetPropertyOrientation))
        orientation = static_cast<std::int32_t>(value->integer().value_or(0));
    auto representation = asset->defaultRepresentation();
    imageio::CGImageRef bitmap = representation ? representation->fullScreenImage() : nullptr;
    return uikit::UIImage::imageWithCGImage(std::move(bitmap), 1.0,
                                            static_cast<uikit::UIImageOrientation>(orientation));
}
}  // namespace

void loadImagesFromAlbum(ALAssetsLibrary& self, std::string albumName, LoadCompletionBlock completion) {
    // 1. Neither callback holds the library object.
    auto imageGroupCallback = [albumName, completion](ALAssetsGroupRef group, bool* stop) {
        if (!group) *stop = true;
        if (!albumNameMatches(albumName, groupName(group))) return;
        auto images = std::make_shared<std::vector<uikit::UIImageRef>>();
        // The asset callback runs inside enumerateAssetsUsingBlock, on this
        // thread, so the array is filled and handed over without locks. An
        // asset with no bitmap is skipped: the array never holds an absent image.
        group->enumerateAssetsUsingBlock([images](assets::ALAssetRef asset, std::uint64_t, bool*) {
            if (!asset) return;
            if (auto image = imageOfAsset(asset)) images->push_back(std::move(image));
        });
        if (completion) completion(images, nullptr);
        *stop = true;
    };
    auto loadFailure = [completion](NSErrorRef error) {
        foundation::NSLog("%s: %@", kLoadFailureFunctionName,
                          error ? error->localizedDescription() : std::string("(null)"));
        if (completion) completion(nullptr, error);
    };
    // 2. Every kind of group.
    self.enumerateGroupsWithTypes(assets::ALAssetsGroupAll, std::move(imageGroupCallback), std::move(loadFailure));
}

}  // namespace CustomPhotoAlbum
