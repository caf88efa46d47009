// What the Settings host reports as "posted:": the posts of one notification
// name that really reached the notify center while a change was made, seen
// as any other process (the hook library's) sees them, rather than what the
// row says it would post.
#pragma once

#include "platform/foundation/CFNotificationCenter.h"

#include <atomic>
#include <future>
#include <string>

namespace settingsapp {

class PostWatch {
public:
    // Starts observing `name` on the Darwin notify center.
    explicit PostWatch(std::string name);
    ~PostWatch();
    PostWatch(const PostWatch&) = delete;
    PostWatch& operator=(const PostWatch&) = delete;

    // Whether `name` was posted since the watch began. Posts a marker name of
    // this process and waits for it to come back: the kernel reports posts
    // in order, so every earlier post has been delivered by then. False when
    // the marker does not come back within a few seconds. Asked once.
    bool sawPost();

private:
    static void onPost(CFNotificationCenterRef, void* watch, CFStringRef name, const void*, CFDictionaryRef);

    std::string name_;
    std::string marker_;
    std::atomic<bool> posted_{false};
    std::promise<void> markerSeen_;
    std::atomic<bool> markerDelivered_{false};
};

}  // namespace settingsapp
