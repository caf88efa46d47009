#include "hook/CompletionBanner.h"

#include "platform/springboard/BulletinSelectors.h"

namespace snapfold {

void showCompletionBannerWithMessage(const std::string& message) {
    // 1. Both lookups come first: the classes belong to the home screen and may
    //    be absent from this process.
    objc::Class bannerControllerClass = objc::objc_getClass(springboard::kBannerControllerClassName);
    objc::Class bulletinRequestClass = objc::objc_getClass(springboard::kBulletinRequestClassName);
    // 2. Either missing: no banner and no fallback.
    if (!bannerControllerClass || !bulletinRequestClass) return;

    // 3. One request per banner, with exactly these three fields.
    std::shared_ptr<objc::Object> request = objc::allocInit(bulletinRequestClass);
    objc::msgSend(request.get(), springboard::kSetTitle, std::string(kBannerTitle));
    objc::msgSend(request.get(), springboard::kSetMessage, message);
    objc::msgSend(request.get(), springboard::kSetSectionID, std::string(kBannerSectionID));

    // 4. Hand it to the shared banner controller, with no observer.
    std::shared_ptr<objc::Object> controller = objc::msgSend(bannerControllerClass, springboard::kSharedInstance);
    objc::msgSend(controller.get(), springboard::kObserverAddBulletinForFeed, nullptr, request, kBannerFeed);
    // 5. Our reference to the request ends here; the controller keeps its own.
}

}  // namespace snapfold
