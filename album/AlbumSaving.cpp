// The three save entry points and the write-result callback that joins the
// write to the saved-photos library with the album stage.
#include "album/ALAssetsLibrary+CustomPhotoAlbum.h"
#include "album/CategoryInternals.h"
#include "platform/imageio/CGImageSource.h"

namespace CustomPhotoAlbum {

assets::ALAssetsLibraryWriteImageCompletionBlock _resultBlockOfAddingToAlbum(
    const std::shared_ptr<ALAssetsLibrary>& self, std::string albumName, CompletionBlock completion,
    FailureBlock failure) {
    // All four captures are strong: the library object lives as long as the
    // library holds this callback, so the caller may drop it at once.
    return [failure = std::move(failure), library = self, albumName = std::move(albumName),
            completion = std::move(completion)](NSURLRef assetURL, NSErrorRef error) {
        // 1. A failed write goes to the failure callback unchanged, and stops.
        if (error) {
            if (failure) failure(error);
            return;
        }
        // 2. Otherwise the album stage, with the URL the library reported.
        addAssetURL(library, assetURL, albumName, completion, failure);
    };
}

void saveImage(const std::shared_ptr<ALAssetsLibrary>& self, uikit::UIImageRef image, std::string albumName,
               CompletionBlock completion, FailureBlock failure) {
    // 1. Encode as PNG (drawn upright).
    NSDataRef pngData = uikit::UIImagePNGRepresentation(image.get());
    // 2. The metadata of the save is what the PNG itself carries.
    std::optional<NSDictionary> metadata;
    if (imageio::CGImageSourceRef source = imageio::CGImageSourceCreateWithData(pngData, nullptr))
        metadata = imageio::CGImageSourceCopyPropertiesAtIndex(source, 0, nullptr);
    // 3. Write; the write-result callback goes on to the album stage. With no
    //    PNG data the write is made all the same, so that the library's own
    //    error reaches the failure callback.
    auto writeResult = _resultBlockOfAddingToAlbum(self, std::move(albumName), std::move(completion),
                                                   std::move(failure));
    self->writeImageDataToSavedPhotosAlbum(std::move(pngData), std::move(metadata), std::move(writeResult));
}

void saveVideo(const std::shared_ptr<ALAssetsLibrary>& self, NSURLRef videoURL, std::string albumName,
               CompletionBlock completion, FailureBlock failure) {
    auto writeResult = _resultBlockOfAddingToAlbum(self, std::move(albumName), std::move(completion),
                                                   std::move(failure));
    self->writeVideoAtPathToSavedPhotosAlbum(std::move(videoURL), std::move(writeResult));
}

void saveImageData(const std::shared_ptr<ALAssetsLibrary>& self, NSDataRef imageData, std::string albumName,
                   std::optional<NSDictionary> metadata, CompletionBlock completion, FailureBlock failure) {
    auto writeResult = _resultBlockOfAddingToAlbum(self, std::move(albumName), std::move(completion),
                                                   std::move(failure));
    self->writeImageDataToSavedPhotosAlbum(std::move(imageData), std::move(metadata), std::move(writeResult));
}

}  // namespace CustomPhotoAlbum
