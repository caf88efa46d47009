// Attaches the category's methods to ALAssetsLibrary in the runtime, so that
// any code in the process can call them by selector.
#include "album/ALAssetsLibrary+CustomPhotoAlbum.h"

#include <mutex>

namespace CustomPhotoAlbum {

namespace {

// The receiving library object, owned: every object is, so retaining it
// always answers it. Nothing for a receiver of another class.
std::shared_ptr<ALAssetsLibrary> receiver(objc::id self) {
    auto* library = dynamic_cast<ALAssetsLibrary*>(self);
    if (!library) return nullptr;
    return std::static_pointer_cast<ALAssetsLibrary>(library->retain());
}

void saveImageMethod(objc::id self, objc::SEL, uikit::UIImageRef image, std::string albumName,
                     CompletionBlock completion, FailureBlock failure) {
    if (auto library = receiver(self))
        saveImage(library, std::move(image), std::move(albumName), std::move(completion), std::move(failure));
}

void saveVideoMethod(objc::id self, objc::SEL, NSURLRef videoURL, std::string albumName, CompletionBlock completion,
                     FailureBlock failure) {
    if (auto library = receiver(self))
        saveVideo(library, std::move(videoURL), std::move(albumName), std::move(completion), std::move(failure));
}

void saveImageDataMethod(objc::id self, objc::SEL, NSDataRef data, std::string albumName,
                         std::optional<NSDictionary> metadata, CompletionBlock completion, FailureBlock failure) {
    if (auto library = receiver(self))
        saveImageData(library, std::move(data), std::move(albumName), std::move(metadata), std::move(completion),
                      std::move(failure));
}

void addAssetURLMethod(objc::id self, objc::SEL, NSURLRef assetURL, std::string albumName, CompletionBlock completion,
                       FailureBlock failure) {
    if (auto library = receiver(self))
        addAssetURL(library, std::move(assetURL), std::move(albumName), std::move(completion), std::move(failure));
}

void loadImagesMethod(objc::id self, objc::SEL, std::string albumName, LoadCompletionBlock completion) {
    if (auto library = receiver(self)) loadImagesFromAlbum(*library, std::move(albumName), std::move(completion));
}

assets::ALAssetsLibraryWriteImageCompletionBlock resultBlockMethod(objc::id self, objc::SEL, std::string albumName,
                                                                   CompletionBlock completion, FailureBlock failure) {
    auto library = receiver(self);
    if (!library) return {};
    return _resultBlockOfAddingToAlbum(library, std::move(albumName), std::move(completion), std::move(failure));
}

assets::ALAssetsLibraryAssetForURLResultBlock addResultBlockMethod(objc::id self, objc::SEL, ALAssetsGroupRef group,
                                                                   NSURLRef assetURL, CompletionBlock completion,
                                                                   FailureBlock failure) {
    auto library = receiver(self);
    if (!library) return {};
    return _assetForURLResultBlockWithGroup(*library, std::move(group), std::move(assetURL), std::move(completion),
                                            std::move(failure));
}

}  // namespace

void attachCategory() {
    static std::once_flag attached;
    std::call_once(attached, [] {
        objc::Class cls = ALAssetsLibrary::libraryClass();
        // In the order in which the category declares them.
        objc::class_addMethod(cls, kResultBlockOfAddingToAlbum, &resultBlockMethod);
        objc::class_addMethod(cls, kAssetForURLResultBlockWithGroup, &addResultBlockMethod);
        objc::class_addMethod(cls, kSaveImageToAlbum, &saveImageMethod);
        objc::class_addMethod(cls, kSaveVideoToAlbum, &saveVideoMethod);
        objc::class_addMethod(cls, kSaveImageDataToAlbum, &saveImageDataMethod);
        objc::class_addMethod(cls, kAddAssetURLToAlbum, &addAssetURLMethod);
        objc::class_addMethod(cls, kLoadImagesFromAlbum, &loadImagesMethod);
    });
}

}  // namespace CustomPhotoAlbum
