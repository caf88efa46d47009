// The application object: status-bar style, opening URLs (asking the
// device's and the desktop's URL-scheme handlers) and sending a control's
// action to its target by selector name.
#pragma once

#include "platform/foundation/NSURL.h"
#include "platform/runtime/Runtime.h"
#include "platform/uikit/DesktopURLHandlers.h"

#include <functional>
#include <mutex>
#include <optional>
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

    // True when something takes the URL's scheme (in any case): the phone's
    // own apps (http, https, mailto), a scheme registered in this process, a
    // client app on the device's handler list (DeviceURLHandlers.h), or an
    // application that the desktop registers for "x-scheme-handler/<scheme>"
    // (DesktopURLHandlers.h). Asked afresh at every call, so an app installed
    // in the meantime counts at once.
    bool canOpenURL(const foundation::NSURLRef& url) const;
    // Records the URL in this process (openedURLs) and in the device's log
    // (OpenedURLLog.h), tells the observer, and answers whether something
    // takes its scheme. When the desktop itself can open it (a web or mail
    // address, or a scheme with a desktop handler) and SNAPFOLD_OPEN_URLS is
    // 1 in a desktop session, it is also handed to the desktop's opener; URLs
    // of client apps that only the device's list names are recorded only.
    // False for an absent URL.
    bool openURL(const foundation::NSURLRef& url);
    std::vector<std::string> openedURLs() const;
    // Called with every URL passed to openURL, on the calling thread.
    void setOpenURLObserver(std::function<void(const std::string&)> observer);

    // Schemes this process can open besides the device's and the desktop's
    // handlers.
    void registerURLScheme(std::string scheme);
    void unregisterURLScheme(const std::string& scheme);

    // `sendAction:to:from:forEvent:`: calls the target's method named
    // `action`, passing `sender` when the method takes one argument (an
    // action written as "name:") and nothing when it takes none. False, and a
    // log line, when the target is absent or has no such method.
    static bool sendAction(std::string_view action, objc::Object* target, objc::Object* sender);

    // Test seam: status bar back to the default style, no URLs recorded in
    // this process, no schemes registered in it, no observer, and the
    // desktop's registry read from no folders at all, so the machine's own
    // handlers never decide a test.
    void resetForTesting();
    // Test seam: the desktop's registry is read from these folders from now
    // on (nothing: from the environment's, as at start).
    void setDesktopDirectoriesForTesting(std::optional<DesktopDirectories> directories);

private:
    UIApplication() = default;
    DesktopDirectories desktopDirectories() const;
    bool desktopCanOpen(std::string_view scheme) const;

    mutable std::mutex mutex_;
    long statusBarStyle_ = UIStatusBarStyleDefault;
    std::vector<std::string> opened_;
    std::set<std::string> registeredSchemes_;
    std::optional<DesktopDirectories> desktopDirectories_;
    std::function<void(const std::string&)> observer_;
};

}  // namespace uikit
