// The album saver: the CustomPhotoAlbum category on ALAssetsLibrary. It writes
// media to the saved-photos library, finds the user album of a given name (or
// creates it), adds the new asset to it, and reads an album's images back.
//
// Each method is a free function taking the receiving library object, and is
// also registered in the runtime under its selector on ALAssetsLibrary, so
// any code in the process can call it by name. The methods whose callbacks
// hold the library object after they return take it as an owning pointer;
// the others borrow it for the call.
#pragma once

#include "platform/assets/AssetsLibrary.h"
#include "platform/uikit/UIImage.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace CustomPhotoAlbum {

using assets::ALAssetsGroupRef;
using assets::ALAssetsLibrary;
using foundation::NSDataRef;
using foundation::NSDictionary;
using foundation::NSErrorRef;
using foundation::NSURLRef;

// Called only on success, with the URL of the asset that was added and no error.
using CompletionBlock = std::function<void(NSURLRef assetURL, NSErrorRef error)>;
using FailureBlock = std::function<void(NSErrorRef error)>;
using ImageArray = std::shared_ptr<std::vector<uikit::UIImageRef>>;
// Either the images and no error, or no images and the error.
using LoadCompletionBlock = std::function<void(ImageArray images, NSErrorRef error)>;

// The category's own error.
inline constexpr const char* kErrorDomain = "LIB_ALAssetsLibrary_CustomPhotoAlbum";

// The write-result callback of a save: on an error, hands it to `failure`;
// otherwise goes on to add the new asset to the album.
assets::ALAssetsLibraryWriteImageCompletionBlock _resultBlockOfAddingToAlbum(
    const std::shared_ptr<ALAssetsLibrary>& self, std::string albumName, CompletionBlock completion,
    FailureBlock failure);
// The add-result callback: adds the delivered asset to `group`.
assets::ALAssetsLibraryAssetForURLResultBlock _assetForURLResultBlockWithGroup(
    ALAssetsLibrary& self, ALAssetsGroupRef group, NSURLRef assetURL, CompletionBlock completion, FailureBlock failure);

void saveImage(const std::shared_ptr<ALAssetsLibrary>& self, uikit::UIImageRef image, std::string albumName,
               CompletionBlock completion, FailureBlock failure);
void saveVideo(const std::shared_ptr<ALAssetsLibrary>& self, NSURLRef videoURL, std::string albumName,
               CompletionBlock completion, FailureBlock failure);
void saveImageData(const std::shared_ptr<ALAssetsLibrary>& self, NSDataRef imageData, std::string albumName,
                   std::optional<NSDictionary> metadata, CompletionBlock completion, FailureBlock failure);
// The album stage: adds the asset to the first user album of that name, or to
// one it creates. A creation answered with no group (another save made the
// album meanwhile) is followed by one more look-up before the category error.
void addAssetURL(const std::shared_ptr<ALAssetsLibrary>& self, NSURLRef assetURL, std::string albumName,
                 CompletionBlock completion, FailureBlock failure);
void loadImagesFromAlbum(ALAssetsLibrary& self, std::string albumName, LoadCompletionBlock completion);

// The selectors under which the runtime knows the category's methods.
inline const objc::TypedSelector<void(uikit::UIImageRef, std::string, CompletionBlock, FailureBlock)> kSaveImageToAlbum{
    "saveImage:toAlbum:completion:failure:"};
inline const objc::TypedSelector<void(NSURLRef, std::string, CompletionBlock, FailureBlock)> kSaveVideoToAlbum{
    "saveVideo:toAlbum:completion:failure:"};
inline const objc::TypedSelector<void(NSDataRef, std::string, std::optional<NSDictionary>, CompletionBlock,
                                      FailureBlock)>
    kSaveImageDataToAlbum{"saveImageData:toAlbum:metadata:completion:failure:"};
inline const objc::TypedSelector<void(NSURLRef, std::string, CompletionBlock, FailureBlock)> kAddAssetURLToAlbum{
    "addAssetURL:toAlbum:completion:failure:"};
inline const objc::TypedSelector<void(std::string, LoadCompletionBlock)> kLoadImagesFromAlbum{
    "loadImagesFromAlbum:completion:"};
inline const objc::TypedSelector<assets::ALAssetsLibraryWriteImageCompletionBlock(std::string, CompletionBlock,
                                                                                  FailureBlock)>
    kResultBlockOfAddingToAlbum{"_resultBlockOfAddingToAlbum:completion:failure:"};
inline const objc::TypedSelector<assets::ALAssetsLibraryAssetForURLResultBlock(ALAssetsGroupRef, NSURLRef,
                                                                               CompletionBlock, FailureBlock)>
    kAssetForURLResultBlockWithGroup{"_assetForURLResultBlockWithGroup:assetURL:completion:failure:"};

// Attaches the category's seven methods to ALAssetsLibrary in the runtime, as
// the runtime attaches a category when its image loads. Idempotent.
void attachCategory();

}  // namespace CustomPhotoAlbum
