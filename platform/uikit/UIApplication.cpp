#include "platform/uikit/UIApplication.h"

#include "platform/foundation/NSLog.h"
#include "platform/runtime/Selector.h"
#include "platform/uikit/DeviceURLHandlers.h"
#include "platform/uikit/OpenedURLLog.h"

#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace uikit {

namespace {
// The phone's own apps (the browser and mail) take these on every device;
// any desktop opens them too.
const std::set<std::string> kPhoneSchemes{"http", "https", "mailto"};

bool desktopOpenerWanted() {
    const char* wanted = std::getenv("SNAPFOLD_OPEN_URLS");
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return wanted && std::string_view(wanted) == "1" && ((display && *display) || (wayland && *wayland));
}

void handToDesktop(const std::string& url) {
    char opener[] = "xdg-open";
    std::string argument = url;
    char* argv[] = {opener, argument.data(), nullptr};
    pid_t pid = 0;
    if (::posix_spawnp(&pid, opener, nullptr, nullptr, argv, environ) == 0) {
        int status = 0;
        ::waitpid(pid, &status, 0);  // The opener returns at once; the browser lives on.
    }
}
}  // namespace

UIApplication& UIApplication::sharedApplication() {
    static auto* application = new UIApplication;  // One per process, never torn down.
    return *application;
}

long UIApplication::statusBarStyle() const {
    std::lock_guard lock(mutex_);
    return statusBarStyle_;
}

void UIApplication::setStatusBarStyle(long style) {
    std::lock_guard lock(mutex_);
    statusBarStyle_ = style;
}

DesktopDirectories UIApplication::desktopDirectories() const {
    std::lock_guard lock(mutex_);
    return desktopDirectories_ ? *desktopDirectories_ : DesktopDirectories::fromEnvironment();
}

bool UIApplication::desktopCanOpen(std::string_view scheme) const {
    return kPhoneSchemes.count(std::string(scheme)) > 0 || desktopHandlerForScheme(desktopDirectories(), scheme);
}

bool UIApplication::canOpenURL(const foundation::NSURLRef& url) const {
    if (!url) return false;
    std::optional<std::string> scheme = normalizedURLScheme(url->scheme());
    if (!scheme) return false;
    if (kPhoneSchemes.count(*scheme)) return true;
    {
        std::lock_guard lock(mutex_);
        if (registeredSchemes_.count(*scheme)) return true;
    }
    // The files are read outside the lock: they are the device's and the
    // desktop's, shared with other processes anyway.
    return deviceHandlerForScheme(*scheme) || desktopHandlerForScheme(desktopDirectories(), *scheme);
}

bool UIApplication::openURL(const foundation::NSURLRef& url) {
    if (!url) return false;
    const std::string& text = url->absoluteString();
    std::function<void(const std::string&)> observer;
    {
        std::lock_guard lock(mutex_);
        opened_.push_back(text);
        observer = observer_;
    }
    if (auto logged = appendOpenedURL(text); !logged)
        foundation::NSLog("UIApplication: cannot log the opened URL: %@", logged.error().message);
    if (observer) observer(text);
    bool handled = canOpenURL(url);
    if (handled && desktopOpenerWanted()) {
        std::optional<std::string> scheme = normalizedURLScheme(url->scheme());
        if (scheme && desktopCanOpen(*scheme)) handToDesktop(text);
    }
    return handled;
}

std::vector<std::string> UIApplication::openedURLs() const {
    std::lock_guard lock(mutex_);
    return opened_;
}

void UIApplication::setOpenURLObserver(std::function<void(const std::string&)> observer) {
    std::lock_guard lock(mutex_);
    observer_ = std::move(observer);
}

void UIApplication::registerURLScheme(std::string scheme) {
    std::optional<std::string> normalized = normalizedURLScheme(scheme);
    if (!normalized) return;
    std::lock_guard lock(mutex_);
    registeredSchemes_.insert(std::move(*normalized));
}

void UIApplication::unregisterURLScheme(const std::string& scheme) {
    std::optional<std::string> normalized = normalizedURLScheme(scheme);
    if (!normalized) return;
    std::lock_guard lock(mutex_);
    registeredSchemes_.erase(*normalized);
}

bool UIApplication::sendAction(std::string_view action, objc::Object* target, objc::Object* sender) {
    if (action.empty() || !target) {
        foundation::NSLog("UIApplication: no target for action %@", std::string(action));
        return false;
    }
    // The selector's text decides its shape: "name:" takes the sender.
    std::string name(action);
    objc::Method* method = objc::object_getClass(target)->findMethod(objc::sel_registerName(name));
    if (name.back() == ':') {
        objc::TypedSelector<void(objc::id)> withSender(name.c_str());
        if (method && method->signature == decltype(withSender)::signature()) {
            objc::msgSend(target, withSender, sender);
            return true;
        }
    } else {
        objc::TypedSelector<void()> withoutArgument(name.c_str());
        if (method && method->signature == decltype(withoutArgument)::signature()) {
            objc::msgSend(target, withoutArgument);
            return true;
        }
    }
    foundation::NSLog("UIApplication: %@ does not respond to %@", target->description(), name);
    return false;
}

void UIApplication::resetForTesting() {
    std::lock_guard lock(mutex_);
    statusBarStyle_ = UIStatusBarStyleDefault;
    opened_.clear();
    registeredSchemes_.clear();
    desktopDirectories_ = DesktopDirectories{};
    observer_ = nullptr;
}

void UIApplication::setDesktopDirectoriesForTesting(std::optional<DesktopDirectories> directories) {
    std::lock_guard lock(mutex_);
    desktopDirectories_ = std::move(directories);
}

}  // namespace uikit
