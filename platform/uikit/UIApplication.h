// The application object: status-bar style, opening URLs and sending a
// control's action to its target by selector name.
#pragma once

#include "platform/foundation/NSURL.h"
#include "platform/runtime/Runtime.h"

#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace uikit {

enum UIStatusBarStyle : long {
    UIStatusBarStyleDefault = 0,
    UIStatusBarStyleLightContent = 1,
};

class UIApplication {
public:
    static UIApplication& sharedApplication();

    long statusBarStyle() const;
    void setStatusBarStyle(long style);

    // True when a handler is registered for the URL's scheme.
    bool canOpenURL(const foundation::NSURLRef& url) const;
    // Records the URL (see openedURLs) and, when a desktop session is present
    // and SNAPFOLD_OPEN_URLS is set to 1, hands it to the desktop's opener.
    // False for an absent URL or one whose scheme no handler takes.
    bool openURL(const foundation::NSURLRef& url);
    std::vector<std::string> openedURLs() const;
    // Called with every URL passed to openURL, on the calling thread.
    void setOpenURLObserver(std::function<void(const std::string&)> observer);

    // Schemes the device can open: "http", "https" and "mailto" from the start.
    void registerURLScheme(std::string scheme);
    void unregisterURLScheme(const std::string& scheme);

    // `sendAction:to:from:forEvent:`: calls the target's method named
    // `action`, passing `sender` when the method takes one argument (an
    // action written as "name:") and nothing when it takes none. False, and a
    // log line, when the target is absent or has no such method.
    static bool sendAction(std::string_view action, objc::Object* target, objc::Object* sender);

    // Test seam: status bar back to the default style, no URLs recorded, the
    // starting schemes only, no observer.
    void resetForTesting();

private:
    UIApplication();

    mutable std::mutex mutex_;
    long statusBarStyle_ = UIStatusBarStyleDefault;
    std::vector<std::string> opened_;
    std::set<std::string> schemes_;
    std::function<void(const std::string&)> observer_;
};

}  // namespace uikit
