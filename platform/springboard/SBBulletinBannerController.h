// SBBulletinBannerController: the home screen's controller that shows
// bulletins as banners at the top of the screen. Here one shared instance per
// process whose `observer:addBulletin:forFeed:` presents the bulletin (see
// PresentedBanner.h); queueing, timing and dismissal are left out.
#pragma once

#include "platform/runtime/Runtime.h"

namespace springboard {

class SBBulletinBannerController : public objc::Object {
public:
    // An instance of `cls`, the registered class or a subclass of it: what
    // `alloc` and `init` make, for `+sharedInstance`.
    static std::shared_ptr<SBBulletinBannerController> create(objc::Class cls);

    void addBulletin(objc::id observer, std::shared_ptr<objc::Object> bulletin, unsigned long feed);

protected:
    friend objc::Allocation;
    explicit SBBulletinBannerController(objc::Class cls) : objc::Object(cls) {}
};

// Registers SBBulletinBannerController (+sharedInstance and
// -observer:addBulletin:forFeed:) in the runtime. Idempotent.
void registerBannerControllerClass();

// Registers both banner classes, as the home screen's frameworks define them
// in a process that has loaded them.
void registerBannerClasses();

}  // namespace springboard
