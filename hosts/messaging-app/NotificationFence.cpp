#include "hosts/messaging-app/NotificationFence.h"

#include "platform/foundation/CFNotificationCenterFileNames.h"
#include "platform/foundation/DeviceRoot.h"

#include <chrono>
#include <filesystem>
#include <unistd.h>

namespace messagingapp {

namespace {
// Long enough for a loaded machine; the fence only ever waits this long when
// notifications cannot be delivered at all.
constexpr std::chrono::seconds kFenceTimeout{5};
}  // namespace

NotificationFence::NotificationFence() : name_("net.whatsapp.WhatsApp.fence." + std::to_string(::getpid())) {
    CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), this, &NotificationFence::arrived,
                                    name_.c_str(), nullptr, CFNotificationSuspensionBehaviorDeliverImmediately);
}

NotificationFence::~NotificationFence() {
    CFNotificationCenterRemoveObserver(CFNotificationCenterGetDarwinNotifyCenter(), this, name_.c_str(), nullptr);
    // The post leaves a file named after the fence; it is this process's own.
    if (auto fileName = foundation::notificationFileName(name_)) {
        std::error_code ec;
        std::filesystem::remove(foundation::notificationDirectory() / fileName.value(), ec);
    }
}

void NotificationFence::arrived(CFNotificationCenterRef, void* observer, CFStringRef, const void*, CFDictionaryRef) {
    auto* fence = static_cast<NotificationFence*>(observer);
    {
        std::lock_guard lock(fence->mutex_);
        // Posts of one name may be delivered as one: a delivery answers every
        // post made before it.
        fence->delivered_ = fence->posted_;
    }
    fence->wake_.notify_all();
}

bool NotificationFence::pass() {
    std::uint64_t target;
    {
        std::lock_guard lock(mutex_);
        target = ++posted_;
    }
    CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(), name_.c_str(), nullptr, nullptr,
                                         true);
    std::unique_lock lock(mutex_);
    return wake_.wait_for(lock, kFenceTimeout, [&] { return delivered_ >= target; });
}

}  // namespace messagingapp
