#include "platform/uikit/NSTimer.h"

#include "platform/uikit/NSRunLoop.h"
#include "platform/uikit/UIApplication.h"

#include <algorithm>

namespace uikit {

objc::Class NSTimer::objcClass() {
    static objc::Class cls = objc::objc_registerClass("NSTimer", objc::rootClass());
    return cls;
}

std::shared_ptr<NSTimer> NSTimer::scheduledTimerWithTimeInterval(double interval, std::shared_ptr<objc::Object> target,
                                                                 std::string selector,
                                                                 std::shared_ptr<objc::Object> userInfo, bool repeats) {
    auto timer = objc::make<NSTimer>();
    // The platform raises the interval of a repeating timer to a minimum; a
    // zero interval would otherwise fire forever at one instant.
    timer->interval_ = repeats ? std::max(interval, 0.0001) : std::max(interval, 0.0);
    timer->target_ = std::move(target);
    timer->selector_ = std::move(selector);
    timer->userInfo_ = std::move(userInfo);
    timer->repeats_ = repeats;
    timer->valid_ = true;
    timer->scheduleNextFiring();
    return timer;
}

void NSTimer::scheduleNextFiring() {
    // The run loop holds the timer strongly while it is scheduled, and the
    // timer holds its target, as on the platform.
    auto self = std::static_pointer_cast<NSTimer>(retain());
    ticket_ = NSRunLoop::mainRunLoop().schedule(interval_, [self] { self->fire(); });
}

void NSTimer::fire() {
    if (!valid_) return;
    auto target = target_;  // Kept alive through the call even if the timer is invalidated inside it.
    UIApplication::sendAction(selector_, target.get(), this);
    if (repeats_ && valid_) {
        scheduleNextFiring();
    } else {
        invalidate();
    }
}

void NSTimer::invalidate() {
    if (!valid_) return;
    valid_ = false;
    NSRunLoop::mainRunLoop().cancel(ticket_);
    target_.reset();
    userInfo_.reset();
}

}  // namespace uikit
