#include "hosts/messaging-app/AssetsLibraryManager.h"

#include "platform/assets/AssetsLibrary.h"
#include "platform/assets/VideoFormat.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/RegularFile.h"
#include "platform/hostapp/WAAssetsLibraryManager.h"

#include <fstream>
#include <iterator>

namespace messagingapp {

namespace {

using hostapp::WASaveCompletion;

// The queue on which the app works through enqueued saves, one at a time.
foundation::DispatchQueue& mediaSavingQueue() {
    static auto* queue = new foundation::DispatchQueue("net.whatsapp.media-saving");  // Lives as long as the app.
    return *queue;
}

// The largest file the app hands over as image data.
constexpr std::size_t kMaximumImageDataBytes = 512u * 1024 * 1024;

foundation::NSDataRef readFile(const std::string& devicePath) {
    auto bytes = foundation::readRegularFile(foundation::hostPath(devicePath), kMaximumImageDataBytes);
    if (!bytes) return nullptr;
    return std::make_shared<foundation::NSData>(bytes->begin(), bytes->end());
}

// The library's answer goes to the app's completion as it is; an app that
// passed no completion learns nothing.
assets::ALAssetsLibraryWriteImageCompletionBlock forwardingTo(WASaveCompletion completion) {
    return [completion = std::move(completion)](foundation::NSURLRef assetURL, foundation::NSErrorRef error) {
        if (completion) completion(std::move(assetURL), std::move(error));
    };
}

// A video goes in as a video; anything else as image data with the file's
// own bytes, which the library checks (a missing or undecodable file is
// answered with its error).
void saveFileToCameraRoll(const std::string& devicePath, WASaveCompletion completion) {
    std::shared_ptr<assets::ALAssetsLibrary> library = assets::ALAssetsLibrary::create();
    if (assets::sniffVideoFile(foundation::hostPath(devicePath))) {
        library->writeVideoAtPathToSavedPhotosAlbum(foundation::NSURL::fileURLWithPath(devicePath),
                                                    forwardingTo(std::move(completion)));
        return;
    }
    library->writeImageDataToSavedPhotosAlbum(readFile(devicePath), std::nullopt, forwardingTo(std::move(completion)));
}

void enqueueSavingMediaToCameraRollAtPath(objc::id, objc::SEL, std::string path, WASaveCompletion completion) {
    mediaSavingQueue().async([path = std::move(path), completion = std::move(completion)]() mutable {
        saveFileToCameraRoll(path, std::move(completion));
    });
}

void saveMediaAtPath(objc::id, objc::SEL, std::string path, WASaveCompletion completion) {
    saveFileToCameraRoll(path, std::move(completion));
}

void saveImage(objc::id, objc::SEL, uikit::UIImageRef image, WASaveCompletion completion) {
    std::shared_ptr<assets::ALAssetsLibrary> library = assets::ALAssetsLibrary::create();
    library->writeImageDataToSavedPhotosAlbum(uikit::UIImagePNGRepresentation(image.get()), std::nullopt,
                                              forwardingTo(std::move(completion)));
}

}  // namespace

void registerAssetsLibraryManager() {
    objc::Class cls = objc::objc_registerClass(hostapp::kAssetsLibraryManagerClassName, nullptr);
    objc::Class metaclass = objc::object_getClass(cls);
    objc::class_addMethod(metaclass, hostapp::kEnqueueSavingMediaToCameraRollAtPath,
                          &enqueueSavingMediaToCameraRollAtPath);
    objc::class_addMethod(metaclass, hostapp::kSaveImage, &saveImage);
    objc::class_addMethod(metaclass, hostapp::kSaveMediaAtPath, &saveMediaAtPath);
}

void drainMediaSavingQueue() { mediaSavingQueue().drain(); }

std::size_t pendingEnqueuedSaves() { return mediaSavingQueue().pendingCount(); }

}  // namespace messagingapp
