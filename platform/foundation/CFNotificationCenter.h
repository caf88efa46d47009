// The Darwin notify center: system-wide notifications by name, with no object
// and no user information. A post reaches the observers of that name in the
// posting process and in every other process that uses the same device root.
//
// On Linux a name is a file in the device root's notification folder: a post
// opens it for writing and closes it, and each observing process's notify
// thread is woken by the kernel (inotify). Several posts of one name that
// arrive before the thread wakes are delivered once, as the platform coalesces,
// at the place of the last of them: the names of one wake-up are delivered in
// the order of their last posts, so a name's delivery always follows every
// post made before it. Callbacks run on the notify center's own thread.
//
// The folder is shared and may hold anything: a file whose name is not the
// spelling of a notification name (CFNotificationCenterFileNames.h) is
// ignored and logged once. A name that cannot be spelled as a file name (too
// long once encoded, empty) is refused at the post, with a logged reason.
#pragma once

#include <cstdint>

struct __CFNotificationCenter;
using CFNotificationCenterRef = __CFNotificationCenter*;
using CFStringRef = const char*;
using CFDictionaryRef = const void*;
using Boolean = unsigned char;

enum CFNotificationSuspensionBehavior : long {
    CFNotificationSuspensionBehaviorDrop = 1,
    CFNotificationSuspensionBehaviorCoalesce = 2,
    CFNotificationSuspensionBehaviorHold = 3,
    CFNotificationSuspensionBehaviorDeliverImmediately = 4,
};

using CFNotificationCallback = void (*)(CFNotificationCenterRef center, void* observer, CFStringRef name,
                                        const void* object, CFDictionaryRef userInfo);

CFNotificationCenterRef CFNotificationCenterGetDarwinNotifyCenter();

// Registers `callback` for `name`. As on the Darwin center, `object` and the
// suspension behaviour are accepted and ignored, and a null name is refused.
void CFNotificationCenterAddObserver(CFNotificationCenterRef center, const void* observer,
                                     CFNotificationCallback callback, CFStringRef name, const void* object,
                                     CFNotificationSuspensionBehavior suspensionBehavior);
void CFNotificationCenterRemoveObserver(CFNotificationCenterRef center, const void* observer, CFStringRef name,
                                        const void* object);
void CFNotificationCenterRemoveEveryObserver(CFNotificationCenterRef center, const void* observer);
// Posts `name`; `object`, `userInfo` and `deliverImmediately` are ignored, as
// on the Darwin center. A name no file name can carry is refused and logged.
void CFNotificationCenterPostNotification(CFNotificationCenterRef center, CFStringRef name, const void* object,
                                          CFDictionaryRef userInfo, Boolean deliverImmediately);
