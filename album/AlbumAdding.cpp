// The album stage: find the user album of the given name, or create it, and
// add the asset to it.
#include "album/ALAssetsLibrary+CustomPhotoAlbum.h"
#include "album/CategoryInternals.h"
#include "platform/foundation/NSLog.h"

namespace CustomPhotoAlbum {

namespace {

// Logged, as is, when the library cannot create albums.
constexpr const char* kAlbumWarning =
    "![WARNING][LIB:ALAssetsLibrary+CustomPhotoAlbum]:               "
    "|-addAssetsGroupAlbumWithName:resultBlock:failureBlock:|               "
    "only available on iOS 5.0 or later.               "
    "ASSET cannot be saved to album!";

// A creation that answers no group most often means that another save (in
// this process or another) created the album between this call's enumeration
// and its creation request. So the user albums are looked up once more, by the
// same rule: the first match receives the asset; when there is still none,
// the add-result callback is given no group and reports the category error,
// as a creation answered with no group always did.
void addToAlbumCreatedMeanwhile(std::shared_ptr<ALAssetsLibrary> library, std::string albumName, NSURLRef assetURL,
                                CompletionBlock completion, FailureBlock failure) {
    auto handled = std::make_shared<bool>(false);
    auto lookUp = [library, albumName = std::move(albumName), assetURL, completion, failure,
                   handled](ALAssetsGroupRef group, bool* stop) {
        if (*handled || (group && !albumNameMatches(albumName, groupName(group)))) return;
        *handled = true;
        library->assetForURL(assetURL, _assetForURLResultBlockWithGroup(*library, group, assetURL, completion, failure),
                             failure);
        *stop = true;
    };
    library->enumerateGroupsWithTypes(assets::ALAssetsGroupAlbum, std::move(lookUp), failure);
}

}  // namespace

assets::ALAssetsLibraryAssetForURLResultBlock _assetForURLResultBlockWithGroup(ALAssetsLibrary&, ALAssetsGroupRef group,
                                                                               NSURLRef assetURL,
                                                                               CompletionBlock completion,
                                                                               FailureBlock failure) {
    // Holds the group, the URL and both callbacks, but not the library object.
    return [group = std::move(group), completion = std::move(completion), assetURL = std::move(assetURL),
            failure = std::move(failure)](assets::ALAssetRef asset) {
        // 1. Add; an absent group counts as a refusal.
        bool added = group && group->addAsset(asset);
        // 2. Success reports the URL the album stage started with.
        if (added) {
            if (completion) completion(assetURL, nullptr);
            return;
        }
        // 3. A refusal is the category's one error of its own.
        std::string message = foundation::stringWithFormat("ALAssetsGroup failed to add asset: %@.", asset);
        auto error = foundation::NSError::errorWithDomain(
            kErrorDomain, 0, NSDictionary{{foundation::NSLocalizedDescriptionKey, message}});
        if (failure) failure(error);
    };
}

void addAssetURL(const std::shared_ptr<ALAssetsLibrary>& library, NSURLRef assetURL, std::string albumName,
                 CompletionBlock completion, FailureBlock failure) {
    // 1. One flag per call, shared by every invocation of this call's group
    //    callback; the library calls that callback one call at a time.
    auto albumWasFound = std::make_shared<bool>(false);

    // 2. The group callback holds the library object strongly, so it lives at
    //    least until the enumeration's final call.
    auto groupCallback = [albumName, library, assetURL, completion, failure, albumWasFound](ALAssetsGroupRef group,
                                                                                            bool* stop) {
        // The first user album of that name takes the asset. Setting the stop
        // flag ends the walk, but the library still makes its final call.
        if (albumNameMatches(albumName, groupName(group))) {
            *albumWasFound = true;
            auto addResult = _assetForURLResultBlockWithGroup(*library, group, assetURL, completion, failure);
            library->assetForURL(assetURL, std::move(addResult), failure);
            *stop = true;
        }
        // That final call (no group) creates the album, but only when no call
        // found it: a save into an existing album would otherwise also ask
        // for it to be made, and its outcome would be reported twice.
        if (!group && !*albumWasFound) {
            std::weak_ptr<ALAssetsLibrary> weakLibrary = library;
            if (library->respondsToSelector(assets::kAddAssetsGroupAlbumWithName.sel())) {
                // The creation callback holds the library object only weakly.
                auto albumCreated = [albumName, assetURL, completion, failure, weakLibrary](ALAssetsGroupRef newGroup) {
                    auto strong = weakLibrary.lock();
                    if (!strong) return;
                    if (!newGroup) {
                        addToAlbumCreatedMeanwhile(std::move(strong), albumName, assetURL, completion, failure);
                        return;
                    }
                    auto addResult = _assetForURLResultBlockWithGroup(*strong, newGroup, assetURL, completion, failure);
                    strong->assetForURL(assetURL, std::move(addResult), failure);
                };
                library->addAssetsGroupAlbumWithName(albumName, std::move(albumCreated), failure);
            } else {
                foundation::NSLog(kAlbumWarning);
            }
            *stop = true;
        }
    };

    // 3. Only user albums; the caller's failure callback is the enumeration's.
    library->enumerateGroupsWithTypes(assets::ALAssetsGroupAlbum, std::move(groupCallback), failure);
}

}  // namespace CustomPhotoAlbum
