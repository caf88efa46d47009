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

}  // namespace

assets::ALAssetsLibraryAssetForURLResultBlock _assetForURLResultBlockWithGroup(ALAssetsLibrary&,
                                                                               ALAssetsGroupRef group,
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

namespace {

// Looks the asset up and hands it to the add-result callback for `group`; an
// absent group ends in the category error, as a refusal does.
void lookUpAssetAndAddTo(ALAssetsLibrary& library, ALAssetsGroupRef group, const NSURLRef& assetURL,
                         const CompletionBlock& completion, const FailureBlock& failure) {
    auto addResult = _assetForURLResultBlockWithGroup(library, std::move(group), assetURL, completion, failure);
    library.assetForURL(assetURL, std::move(addResult), failure);
}

// A creation answered with no group most often means that another save, in
// this process or another, made the album a moment ago. So the user albums
// are enumerated once more and the asset goes to the first match; only when
// there still is none does the call end in the category error. Either way the
// call builds one add-result callback, so it still reports at most once.
void addToAlbumMadeMeanwhile(std::shared_ptr<ALAssetsLibrary> library, std::string albumName, NSURLRef assetURL,
                             CompletionBlock completion, FailureBlock failure) {
    // Set on the first match; the enumeration's final call after a stop must
    // not add a second time. The library calls this callback one call at a time.
    auto settled = std::make_shared<bool>(false);
    // Held strongly, as the first enumeration's callback holds it.
    auto groupCallback = [albumName, library, assetURL, completion, failure, settled](ALAssetsGroupRef group,
                                                                                      bool* stop) {
        if (*settled) return;
        bool matches = albumNameMatches(albumName, groupName(group));
        if (group && !matches) return;
        *settled = true;
        lookUpAssetAndAddTo(*library, matches ? std::move(group) : nullptr, assetURL, completion, failure);
        *stop = true;
    };
    library->enumerateGroupsWithTypes(assets::ALAssetsGroupAlbum, std::move(groupCallback), failure);
}

}  // namespace

void addAssetURL(ALAssetsLibrary& self, NSURLRef assetURL, std::string albumName, CompletionBlock completion,
                 FailureBlock failure) {
    std::shared_ptr<ALAssetsLibrary> library = strongLibrary(self);
    if (!library) return;
    // 1. One flag per call, shared by every invocation of this call's group
    //    callback; the library calls that callback one call at a time.
    auto albumWasFound = std::make_shared<bool>(false);

    // 2. The group callback holds the library object strongly, so it lives at
    //    least until the enumeration's final call.
    auto groupCallback = [albumName, library, assetURL, completion, failure, albumWasFound](
                             ALAssetsGroupRef group, bool* stop) {
        // Step A, the match test, on every call.
        if (albumNameMatches(albumName, groupName(group))) {
            *albumWasFound = true;
            lookUpAssetAndAddTo(*library, group, assetURL, completion, failure);
            *stop = true;
        }
        // Step B, album creation: on the final call, when nothing matched.
        if (!group && !*albumWasFound) {
            std::weak_ptr<ALAssetsLibrary> weakLibrary = library;
            if (library->respondsToSelector(assets::kAddAssetsGroupAlbumWithName.sel())) {
                // The creation callback holds the library object only weakly.
                auto albumCreated = [albumName, assetURL, completion, failure,
                                     weakLibrary](ALAssetsGroupRef newGroup) {
                    if (!newGroup) {
                        if (auto strong = weakLibrary.lock())
                            addToAlbumMadeMeanwhile(std::move(strong), albumName, assetURL, completion, failure);
                        return;
                    }
                    assets::ALAssetsLibraryAssetForURLResultBlock addResult;
                    if (auto strong = weakLibrary.lock())
                        addResult = _assetForURLResultBlockWithGroup(*strong, newGroup, assetURL, completion, failure);
                    if (auto strong = weakLibrary.lock()) strong->assetForURL(assetURL, std::move(addResult), failure);
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
