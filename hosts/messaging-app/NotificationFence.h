// A fence in the Darwin notification stream: pass() returns once every
// notification posted (by any process) before the call has been delivered to
// this process's observers. The app passes it before each command it reads,
// as the phone's run loop delivers queued notifications before the next user
// event, so a settings change made just before a save applies to that save.
#pragma once

#include "platform/foundation/CFNotificationCenter.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

namespace messagingapp {

class NotificationFence {
public:
    NotificationFence();
    ~NotificationFence();
    NotificationFence(const NotificationFence&) = delete;
    NotificationFence& operator=(const NotificationFence&) = delete;

    // Posts this process's own fence notification and waits for it to come
    // back. False when it did not arrive in time (the notify center is not
    // running); the caller goes on regardless.
    bool pass();

private:
    static void arrived(CFNotificationCenterRef center, void* observer, CFStringRef name, const void* object,
                        CFDictionaryRef userInfo);

    // This process's own name. The fence relies on one promise of the notify
    // center, and on nothing about the name's spelling or sorting: a name is
    // delivered only after every post made before its own (latest) post,
    // whether that post was read in an earlier wake-up or in the same one.
    std::string name_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::uint64_t posted_ = 0;
    std::uint64_t delivered_ = 0;
};

}  // namespace messagingapp
