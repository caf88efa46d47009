#include "hook/SaveHooks.h"

#include "album/ALAssetsLibrary+CustomPhotoAlbum.h"
#include "hook/CompletionBanner.h"
#include "hook/SettingsSnapshot.h"
#include "platform/assets/VideoFormat.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSBundle.h"
#include "platform/hostapp/WAAssetsLibraryManager.h"
#include "platform/runtime/Substrate.h"

#include <atomic>

namespace snapfold {

namespace {

// The previous-implementation slots. MSHookMessageEx fills a slot before it
// publishes the replacement, so a replacement always finds its slot set.
constinit objc::IMP gPreviousEnqueueSavingMedia = nullptr;
constinit objc::IMP gPreviousSaveImage = nullptr;
constinit objc::IMP gPreviousSaveMedia = nullptr;

constinit std::atomic<MessageHookFunction> gHookFunctionForTesting{nullptr};
constinit std::atomic<AssetsLibraryFactory> gLibraryFactoryForTesting{nullptr};

std::shared_ptr<assets::ALAssetsLibrary> makeLibrary() {
    if (AssetsLibraryFactory factory = gLibraryFactoryForTesting.load(std::memory_order_acquire)) return factory();
    return assets::ALAssetsLibrary::create();
}

// The two path methods: a picture goes to the album saver as an image. A file
// that is no picture but a video (recognised by its content, as the photo
// library recognises it) would otherwise reach the album saver as "no image"
// and be saved nowhere; it goes into the album as a video instead. Only an
// absolute device path can become the video's file URL. Anything else is
// handed on as no image, and the album saver's answer decides the banner.
void divertFileToAlbum(const std::string& path) {
    uikit::UIImageRef image = uikit::UIImage::imageWithContentsOfFile(path);
    if (!image && !path.empty() && path.front() == '/' && assets::sniffVideoFile(foundation::hostPath(path))) {
        divertVideoToAlbum(path);
        return;
    }
    divertImageToAlbum(std::move(image));
}

// Each replacement owns its two arguments for the length of the call, reads
// the switch once, and either hands the call on unchanged or diverts it. The
// host's completion is never called when the save is diverted: it is dropped
// on return.
void replacedEnqueueSavingMedia(objc::id self, objc::SEL cmd, std::string path, hostapp::WASaveCompletion completion) {
    if (!isEnabled()) {
        objc::callImplementation(gPreviousEnqueueSavingMedia, hostapp::kEnqueueSavingMediaToCameraRollAtPath, self, cmd,
                                 std::move(path), std::move(completion));
        return;
    }
    divertFileToAlbum(path);
}

void replacedSaveImage(objc::id self, objc::SEL cmd, uikit::UIImageRef image, hostapp::WASaveCompletion completion) {
    if (!isEnabled()) {
        objc::callImplementation(gPreviousSaveImage, hostapp::kSaveImage, self, cmd, std::move(image),
                                 std::move(completion));
        return;
    }
    divertImageToAlbum(std::move(image));
}

void replacedSaveMedia(objc::id self, objc::SEL cmd, std::string path, hostapp::WASaveCompletion completion) {
    if (!isEnabled()) {
        objc::callImplementation(gPreviousSaveMedia, hostapp::kSaveMediaAtPath, self, cmd, std::move(path),
                                 std::move(completion));
        return;
    }
    divertFileToAlbum(path);
}

template <typename Signature>
void hookOnce(objc::Class metaclass, const objc::TypedSelector<Signature>& selector,
              typename objc::TypedSelector<Signature>::Imp replacement, objc::IMP* slot) {
    auto replacementIMP = reinterpret_cast<objc::IMP>(replacement);
    if (objc::class_getMethodImplementation(metaclass, selector.sel()) == replacementIMP) return;
    MessageHookFunction hook = gHookFunctionForTesting.load(std::memory_order_acquire);
    (hook ? hook : &MSHookMessageEx)(metaclass, selector.sel(), replacementIMP, slot);
}

}  // namespace

void installSaveHooks() {
    // 1. Only inside the messaging app.
    if (foundation::mainBundleIdentifier() != hostapp::kMessagingAppBundleIdentifier) return;

    // 2. The three methods are class methods: they live on the metaclass. A
    //    build of the app without the class keeps running unhooked.
    objc::Class managerClass = objc::objc_getClass(hostapp::kAssetsLibraryManagerClassName);
    if (!managerClass) return;
    objc::Class metaclass = objc::object_getClass(managerClass);

    // 3. In this order, each with its slot.
    hookOnce(metaclass, hostapp::kEnqueueSavingMediaToCameraRollAtPath, &replacedEnqueueSavingMedia,
             &gPreviousEnqueueSavingMedia);
    hookOnce(metaclass, hostapp::kSaveImage, &replacedSaveImage, &gPreviousSaveImage);
    hookOnce(metaclass, hostapp::kSaveMediaAtPath, &replacedSaveMedia, &gPreviousSaveMedia);
}

void divertImageToAlbum(uikit::UIImageRef image) {
    // The library object lives on in the album saver's pending callbacks; this
    // function keeps no reference once the save has started.
    std::shared_ptr<assets::ALAssetsLibrary> library = makeLibrary();
    CustomPhotoAlbum::saveImage(library, std::move(image), *albumName(), &albumSaveSucceeded, &albumSaveFailed);
}

void divertVideoToAlbum(const std::string& devicePath) {
    std::shared_ptr<assets::ALAssetsLibrary> library = makeLibrary();
    CustomPhotoAlbum::saveVideo(library, foundation::NSURL::fileURLWithPath(devicePath), *albumName(),
                                &albumSaveSucceeded, &albumSaveFailed);
}

void albumSaveSucceeded(foundation::NSURLRef, foundation::NSErrorRef) {
    showCompletionBannerWithMessage(kSaveSucceededMessage);
}

void albumSaveFailed(foundation::NSErrorRef error) {
    if (error) showCompletionBannerWithMessage(kSaveFailedMessage);
}

void setMessageHookFunctionForTesting(MessageHookFunction function) {
    gHookFunctionForTesting.store(function, std::memory_order_release);
}

void setAssetsLibraryFactoryForTesting(AssetsLibraryFactory factory) {
    gLibraryFactoryForTesting.store(factory, std::memory_order_release);
}

}  // namespace snapfold
