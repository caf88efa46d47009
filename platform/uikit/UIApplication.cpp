#include "platform/uikit/UIApplication.h"

#include "platform/foundation/NSLog.h"
#include "platform/runtime/Selector.h"

#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace uikit {

namespace {
const std::set<std::string> kStartingSchemes{"http", "https", "mailto"};

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

UIApplication::UIApplication() : schemes_(kStartingSchemes) {}

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

bool UIApplication::canOpenURL(const foundation::NSURLRef& url) const {
    if (!url) return false;
    std::lock_guard lock(mutex_);
    return schemes_.count(std::string(url->scheme())) > 0;
}

bool UIApplication::openURL(const foundation::NSURLRef& url) {
    if (!url) return false;
    std::function<void(const std::string&)> observer;
    bool handled;
    {
        std::lock_guard lock(mutex_);
        opened_.push_back(url->absoluteString());
        observer = observer_;
        handled = schemes_.count(std::string(url->scheme())) > 0;
    }
    if (observer) observer(url->absoluteString());
    if (handled && desktopOpenerWanted()) handToDesktop(url->absoluteString());
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
    std::lock_guard lock(mutex_);
    schemes_.insert(std::move(scheme));
}

void UIApplication::unregisterURLScheme(const std::string& scheme) {
    std::lock_guard lock(mutex_);
    schemes_.erase(scheme);
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
    schemes_ = kStartingSchemes;
    observer_ = nullptr;
}

}  // namespace uikit
