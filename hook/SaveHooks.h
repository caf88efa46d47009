// The save interception: inside the messaging app, the hook installation
// replaces the three save methods of its assets-library manager. With the
// master switch off a replacement hands the call on unchanged; with it on the
// media goes into the named album instead of the camera roll, and a banner
// reports the outcome.
#pragma once

#include "platform/assets/AssetsLibrary.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSURL.h"
#include "platform/runtime/Runtime.h"
#include "platform/uikit/UIImage.h"

#include <memory>
#include <string>

namespace snapfold {

inline constexpr const char* kSaveSucceededMessage = "Your image was successfully saved.";
inline constexpr const char* kSaveFailedMessage =
    "Sorry, an error occurred and the image could not be saved. Please try again.";

// The last step of the load-time initializer. Inside the messaging app (main
// bundle identifier "net.whatsapp.WhatsApp") it replaces, on the metaclass of
// WAAssetsLibraryManager and in this order,
// +enqueueSavingMediaToCameraRollAtPath:completion:, +saveImage:completion:
// and +saveMediaAtPath:completion:. In any other process, or where the class
// is missing, it changes nothing. A method that already runs our replacement
// is not hooked again, so a second installation never makes a replacement
// call itself.
void installSaveHooks();

// The save driver: a fresh photo library object for this one save, the album
// saver started with the album name current now and the two outcome
// callbacks, and an immediate return. `image` may be absent; the album saver
// then reports the failed write.
void divertImageToAlbum(uikit::UIImageRef image);
// The same for a video file at a device path: stored as a video in the same
// album, with the same outcome callbacks.
void divertVideoToAlbum(const std::string& devicePath);

// The outcome callbacks shared by every diverted save.
void albumSaveSucceeded(foundation::NSURLRef assetURL, foundation::NSErrorRef error);
// Shows the failure banner when an error is given; nothing without one.
void albumSaveFailed(foundation::NSErrorRef error);

// Test seam: the function through which the hooks are installed
// (MSHookMessageEx unless set; null restores it), so a test can see each call.
using MessageHookFunction = void (*)(objc::Class cls, objc::SEL selector, objc::IMP replacement, objc::IMP* result);
void setMessageHookFunctionForTesting(MessageHookFunction function);

// Test seam: where the save driver gets its photo library objects
// (ALAssetsLibrary::create unless set; null restores it).
using AssetsLibraryFactory = std::shared_ptr<assets::ALAssetsLibrary> (*)();
void setAssetsLibraryFactoryForTesting(AssetsLibraryFactory factory);

}  // namespace snapfold
