#include "hosts/settings-app/PostWatch.h"

#include "platform/foundation/DeviceRoot.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>

namespace settingsapp {

PostWatch::PostWatch(std::string name)
    : name_(std::move(name)), marker_("com.veltrona.snapfold-settings-app.drained." + std::to_string(::getpid())) {
    auto* center = CFNotificationCenterGetDarwinNotifyCenter();
    CFNotificationCenterAddObserver(center, this, &PostWatch::onPost, name_.c_str(), nullptr,
                                    CFNotificationSuspensionBehaviorDeliverImmediately);
    CFNotificationCenterAddObserver(center, this, &PostWatch::onPost, marker_.c_str(), nullptr,
                                    CFNotificationSuspensionBehaviorDeliverImmediately);
}

PostWatch::~PostWatch() {
    // Removing waits for a delivery in progress, so no callback outlives the watch.
    CFNotificationCenterRemoveEveryObserver(CFNotificationCenterGetDarwinNotifyCenter(), this);
}

void PostWatch::onPost(CFNotificationCenterRef, void* observer, CFStringRef name, const void*, CFDictionaryRef) {
    auto* watch = static_cast<PostWatch*>(observer);
    if (watch->name_ == name) {
        watch->posted_ = true;
    } else if (!watch->markerDelivered_.exchange(true)) {
        watch->markerSeen_.set_value();
    }
}

bool PostWatch::sawPost() {
    auto* center = CFNotificationCenterGetDarwinNotifyCenter();
    CFNotificationCenterPostNotification(center, marker_.c_str(), nullptr, nullptr, true);
    bool drained = markerSeen_.get_future().wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    // The marker and the watched name may arrive in one wake-up; removing the
    // observers waits until that whole delivery is done.
    CFNotificationCenterRemoveEveryObserver(center, this);
    // The marker names this process only; its file is of no use to anyone after.
    std::error_code ignored;
    std::filesystem::remove(foundation::notificationDirectory() / marker_, ignored);
    return drained && posted_.load();
}

}  // namespace settingsapp
