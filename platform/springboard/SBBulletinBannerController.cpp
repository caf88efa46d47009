#include "platform/springboard/SBBulletinBannerController.h"

#include "platform/springboard/BBBulletinRequest.h"
#include "platform/springboard/BulletinSelectors.h"
#include "platform/springboard/PresentedBanner.h"

#include <map>
#include <mutex>

namespace springboard {

namespace {

// One shared instance per registered class object: a class registered anew
// (tests do so) gets its own instance, as a fresh process would.
struct SharedInstances {
    std::mutex mutex;
    std::map<objc::Class, std::shared_ptr<objc::Object>> byClass;
};

SharedInstances& sharedInstances() {
    static auto* instances = new SharedInstances;  // Lives as long as the process.
    return *instances;
}

std::shared_ptr<objc::Object> sharedInstanceImp(objc::id self, objc::SEL) {
    auto* cls = static_cast<objc::Class>(self);
    auto& instances = sharedInstances();
    std::lock_guard lock(instances.mutex);
    auto& instance = instances.byClass[cls];
    if (!instance) instance = objc::allocInit(cls);
    return instance;
}

void addBulletinImp(objc::id self, objc::SEL, objc::id observer, std::shared_ptr<objc::Object> bulletin,
                    unsigned long feed) {
    if (auto* controller = dynamic_cast<SBBulletinBannerController*>(self))
        controller->addBulletin(observer, std::move(bulletin), feed);
}

}  // namespace

std::shared_ptr<SBBulletinBannerController> SBBulletinBannerController::create(objc::Class cls) {
    return objc::make<SBBulletinBannerController>(cls);
}

void SBBulletinBannerController::addBulletin(objc::id observer, std::shared_ptr<objc::Object> bulletin,
                                             unsigned long feed) {
    // The bulletin is read through its selectors, so any object that answers
    // them can be shown; a missing bulletin shows nothing, as on the phone.
    if (!bulletin) return;
    PresentedBanner banner;
    banner.title = objc::msgSend(bulletin.get(), kTitle);
    banner.message = objc::msgSend(bulletin.get(), kMessage);
    banner.sectionID = objc::msgSend(bulletin.get(), kSectionID);
    banner.feed = feed;
    banner.observer = observer;
    banner.bulletin = std::move(bulletin);
    presentBanner(std::move(banner));
}

void registerBannerControllerClass() {
    objc::Class cls = objc::objc_registerClass(kBannerControllerClassName, nullptr, [](objc::Class instanceClass) {
        return std::shared_ptr<objc::Object>(SBBulletinBannerController::create(instanceClass));
    });
    objc::class_addMethod(cls->metaClass(), kSharedInstance, &sharedInstanceImp);
    objc::class_addMethod(cls, kObserverAddBulletinForFeed, &addBulletinImp);
}

void registerBannerClasses() {
    registerBannerControllerClass();
    registerBulletinRequestClass();
}

}  // namespace springboard
