#include "platform/foundation/CFNotificationCenter.h"

#include "platform/foundation/DeviceRoot.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <set>
#include <string>
#include <sys/inotify.h>
#include <thread>
#include <unistd.h>
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

    void startIfNeeded();
    void run();
};

namespace {

// A notification name becomes a file name: "/" and "%" and a leading "." are
// escaped, so that any name maps to exactly one file inside the folder.
std::string fileNameFor(const std::string& name) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        auto c = static_cast<unsigned char>(name[i]);
        if (c == '/' || c == '%' || c < 0x20 || (i == 0 && c == '.')) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out.size() > 240 ? out.substr(0, 200) + "%" + std::to_string(std::hash<std::string>{}(name)) : out;
}

std::string nameFromFile(const std::string& file) {
    std::string out;
    for (std::size_t i = 0; i < file.size(); ++i) {
        if (file[i] == '%' && i + 2 < file.size()) {
            out += static_cast<char>(std::stoi(file.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += file[i];
        }
    }
    return out;
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
        // Coalesce: every name in this batch is delivered once.
        std::set<std::string> names;
        for (char* cursor = buffer; cursor < buffer + got;) {
            auto* event = reinterpret_cast<inotify_event*>(cursor);
            if (event->len > 0) names.insert(nameFromFile(event->name));
            cursor += sizeof(inotify_event) + event->len;
        }
        std::lock_guard delivering(deliveryMutex);
        for (const std::string& name : names) {
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

CFNotificationCenterRef CFNotificationCenterGetDarwinNotifyCenter() {
    static auto* center = new __CFNotificationCenter;  // One per process, never torn down.
    return center;
}

void CFNotificationCenterAddObserver(CFNotificationCenterRef center, const void* observer,
                                     CFNotificationCallback callback, CFStringRef name, const void*,
                                     CFNotificationSuspensionBehavior) {
    if (!center || !callback || !name) return;
    std::lock_guard lock(center->mutex);
    center->observers.push_back({observer, callback, name});
    center->startIfNeeded();
}

void CFNotificationCenterRemoveObserver(CFNotificationCenterRef center, const void* observer, CFStringRef name,
                                        const void*) {
    if (!center) return;
    std::lock_guard delivering(center->deliveryMutex);
    std::lock_guard lock(center->mutex);
    std::erase_if(center->observers, [&](const auto& entry) {
        return entry.observer == observer && (!name || entry.name == name);
    });
}

void CFNotificationCenterRemoveEveryObserver(CFNotificationCenterRef center, const void* observer) {
    CFNotificationCenterRemoveObserver(center, observer, nullptr, nullptr);
}

void CFNotificationCenterPostNotification(CFNotificationCenterRef center, CFStringRef name, const void*,
                                          CFDictionaryRef, Boolean) {
    if (!center || !name) return;
    auto file = foundation::notificationDirectory() / fileNameFor(name);
    int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        std::fprintf(stderr, "notify: cannot post %s: %s\n", name, std::strerror(errno));
        return;
    }
    ::close(fd);  // The close is the post: watchers see IN_CLOSE_WRITE.
}
