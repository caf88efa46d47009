// Timers on the main run loop, calling a target's method by selector name.
#pragma once

#include "platform/runtime/Runtime.h"

#include <cstdint>
#include <memory>
#include <string>

namespace uikit {

class NSTimer : public objc::Object {
public:
    static objc::Class objcClass();

    // `scheduledTimerWithTimeInterval:target:selector:userInfo:repeats:` on
    // the current (main) run loop. As on the platform, the timer holds its
    // target strongly until it has fired for the last time or is invalidated.
    // `selector` names a method of no argument ("name") or of one, the timer
    // ("name:").
    static std::shared_ptr<NSTimer> scheduledTimerWithTimeInterval(double interval,
                                                                   std::shared_ptr<objc::Object> target,
                                                                   std::string selector,
                                                                   std::shared_ptr<objc::Object> userInfo,
                                                                   bool repeats);

    double timeInterval() const { return interval_; }
    const std::string& selectorName() const { return selector_; }
    bool isValid() const { return valid_; }
    const std::shared_ptr<objc::Object>& target() const { return target_; }
    const std::shared_ptr<objc::Object>& userInfo() const { return userInfo_; }
    // Stops the timer and lets go of the target.
    void invalidate();

protected:
    friend objc::Allocation;
    explicit NSTimer(objc::Class isa = objcClass()) : objc::Object(isa) {}

private:
    void scheduleNextFiring();
    void fire();

    double interval_ = 0;
    std::shared_ptr<objc::Object> target_;
    std::string selector_;
    std::shared_ptr<objc::Object> userInfo_;
    bool repeats_ = false;
    bool valid_ = false;
    std::uint64_t ticket_ = 0;
};

using NSTimerRef = std::shared_ptr<NSTimer>;

}  // namespace uikit
