// The messaging app's assets-library manager, as a tweak developer declares
// it from the app's class dump: three class methods that save media to the
// camera roll. Header only: the app defines the class at launch, and the hook
// library finds it by name (objc_getClass), never by linking the app.
#pragma once

#include "platform/foundation/NSError.h"
#include "platform/foundation/NSURL.h"
#include "platform/runtime/Selector.h"
#include "platform/uikit/UIImage.h"

#include <functional>
#include <string>

namespace hostapp {

inline constexpr const char* kMessagingAppBundleIdentifier = "net.whatsapp.WhatsApp";
inline constexpr const char* kAssetsLibraryManagerClassName = "WAAssetsLibraryManager";

// The app's completion: the saved asset's URL and no error, or no URL and the
// error of the failed save.
using WASaveCompletion = std::function<void(foundation::NSURLRef assetURL, foundation::NSErrorRef error)>;

// +enqueueSavingMediaToCameraRollAtPath:completion: queues the save of the
// file at a device path; +saveMediaAtPath:completion: starts it at once;
// +saveImage:completion: saves a decoded picture.
inline const objc::TypedSelector<void(std::string, WASaveCompletion)> kEnqueueSavingMediaToCameraRollAtPath{
    "enqueueSavingMediaToCameraRollAtPath:completion:"};
inline const objc::TypedSelector<void(uikit::UIImageRef, WASaveCompletion)> kSaveImage{"saveImage:completion:"};
inline const objc::TypedSelector<void(std::string, WASaveCompletion)> kSaveMediaAtPath{"saveMediaAtPath:completion:"};

}  // namespace hostapp
