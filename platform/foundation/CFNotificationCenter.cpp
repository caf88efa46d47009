#include "platform/foundation/CFNotificationCenter.h"

#include "platform/foundation/CFNotificationCenterFileNames.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSLog.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <set>
#include <string>
#include <string_view>
#include <sys/inotify.h>
#include <thread>
#include <unistd.h>
#include <unordered_map>
#include <vector>

struct __CFNotificationCenter {
    struct Observer {
        const void* observer;
        CFNotificationCallback callback;
        std::string name;
    };

    std::mutex mutex;
    // Held while callbacks run, so that an observer removed by another thread
    // is never called after the removal returns. Recursive: a callback may
    // remove observers itself.
    std::recursive_mutex deliveryMutex;
    std::vector<Observer> observers;
    bool started = false;
    int inotifyFd = -1;
    // File names in the folder that name no notification and were reported
    // already. Touched by the notify thread only.
    std::set<std::string, std::less<>> reportedStrayNames;

    void startIfNeeded();
    void run();
    std::vector<std::string> namesInDeliveryOrder(const char* events, std::size_t length);
    void reportStrayFile(std::string_view fileName);
};

namespace {

// Stray files are reported by name, once each; past this many distinct names
// a folder full of junk would only grow the memory kept to remember them.
constexpr std::size_t kMostReportedStrayNames = 1024;

// A file name as a log line may show it: quoted, with control bytes as \xHH,
// so that a stray name cannot forge a line of its own.
std::string quoted(std::string_view bytes) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out = "\"";
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '"' || c == '\\') {
            out += "\\x";
            out += hex[byte >> 4];
            out += hex[byte & 15];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace

void __CFNotificationCenter::startIfNeeded() {
    if (started) return;
    started = true;
    inotifyFd = ::inotify_init1(IN_CLOEXEC);
    if (inotifyFd < 0 ||
        ::inotify_add_watch(inotifyFd, foundation::notificationDirectory().c_str(), IN_CLOSE_WRITE | IN_MOVED_TO) < 0) {
        std::fprintf(stderr, "notify: cannot watch %s: %s\n", foundation::notificationDirectory().c_str(),
                     std::strerror(errno));
        return;
    }
    // The notify thread lives as long as the process, as the platform's does.
    std::thread([this] { run(); }).detach();
}

void __CFNotificationCenter::run() {
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
        ssize_t got = ::read(inotifyFd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            return;
        }
        std::lock_guard delivering(deliveryMutex);
        for (const std::string& name : namesInDeliveryOrder(buffer, static_cast<std::size_t>(got))) {
            std::vector<Observer> matching;
            {
                std::lock_guard lock(mutex);
                for (const Observer& observer : observers)
                    if (observer.name == name) matching.push_back(observer);
            }
            for (const Observer& observer : matching)
                observer.callback(this, const_cast<void*>(observer.observer), name.c_str(), nullptr, nullptr);
        }
    }
}

// Coalesces one wake-up's posts: each name is delivered once, at the place of
// its last post. So a name's delivery follows every post made before that last
// post, of any name, which is what a fence notification relies on: once it
// arrives, everything posted before it has been delivered.
std::vector<std::string> __CFNotificationCenter::namesInDeliveryOrder(const char* events, std::size_t length) {
    std::vector<std::string> posted;
    for (std::size_t offset = 0; offset + sizeof(inotify_event) <= length;) {
        const auto* event = reinterpret_cast<const inotify_event*>(events + offset);
        offset += sizeof(inotify_event) + event->len;
        if (event->len == 0) continue;
        // The kernel pads the name with zero bytes.
        std::string_view fileName(event->name, ::strnlen(event->name, event->len));
        if (auto name = foundation::notificationNameFromFile(fileName)) {
            posted.push_back(std::move(*name));
        } else {
            reportStrayFile(fileName);
        }
    }
    std::unordered_map<std::string_view, std::size_t> lastPost;
    for (std::size_t i = 0; i < posted.size(); ++i) lastPost[posted[i]] = i;
    std::vector<std::string> ordered;
    ordered.reserve(lastPost.size());
    for (std::size_t i = 0; i < posted.size(); ++i)
        if (lastPost.at(posted[i]) == i) ordered.push_back(posted[i]);
    return ordered;
}

void __CFNotificationCenter::reportStrayFile(std::string_view fileName) {
    if (reportedStrayNames.contains(fileName)) return;
    if (reportedStrayNames.size() == kMostReportedStrayNames) return;
    reportedStrayNames.emplace(fileName);
    foundation::NSLog("notify: ignoring %@ in the notification folder: it names no notification%s", quoted(fileName),
                      reportedStrayNames.size() == kMostReportedStrayNames ? " (further stray files go unreported)"
                                                                           : "");
}

CFNotificationCenterRef CFNotificationCenterGetDarwinNotifyCenter() {
    static auto* center = new __CFNotificationCenter;  // One per process, never torn down.
    return center;
}

void CFNotificationCenterAddObserver(CFNotificationCenterRef center, const void* observer,
                                     CFNotificationCallback callback, CFStringRef name, const void*,
                                     CFNotificationSuspensionBehavior) {
    if (!center || !callback || !name) return;
    // Kept all the same, as the platform keeps it, but said: nobody can post it.
    if (auto fileName = foundation::notificationFileName(name); !fileName)
        foundation::NSLog("notify: observing %@, which no post can carry: %@", quoted(name), fileName.error().message);
    std::lock_guard lock(center->mutex);
    center->observers.push_back({observer, callback, name});
    center->startIfNeeded();
}

void CFNotificationCenterRemoveObserver(CFNotificationCenterRef center, const void* observer, CFStringRef name,
                                        const void*) {
    if (!center) return;
    std::lock_guard delivering(center->deliveryMutex);
    std::lock_guard lock(center->mutex);
    std::erase_if(center->observers,
                  [&](const auto& entry) { return entry.observer == observer && (!name || entry.name == name); });
}

void CFNotificationCenterRemoveEveryObserver(CFNotificationCenterRef center, const void* observer) {
    CFNotificationCenterRemoveObserver(center, observer, nullptr, nullptr);
}

void CFNotificationCenterPostNotification(CFNotificationCenterRef center, CFStringRef name, const void*,
                                          CFDictionaryRef, Boolean) {
    if (!center || !name) return;
    auto fileName = foundation::notificationFileName(name);
    if (!fileName) {
        foundation::NSLog("notify: cannot post %@: %@", quoted(name), fileName.error().message);
        return;
    }
    // The folder is shared: whatever sits under this name may be a stray
    // FIFO, a link or a folder. A FIFO without a reader must not block the
    // poster, and a link must not lead the write out of the device root.
    auto file = foundation::notificationDirectory() / fileName.value();
    int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
    if (fd < 0) {
        foundation::NSLog("notify: cannot post %@: %s", quoted(name), std::strerror(errno));
        return;
    }
    ::close(fd);  // The close is the post: watchers see IN_CLOSE_WRITE.
}
