// The share sheet of the Social framework: a compose sheet for one service,
// with an initial text and a completion handler.
#pragma once

#include "platform/uikit/UIViewController.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace social {

inline constexpr const char* SLServiceTypeTwitter = "com.apple.social.twitter";

enum SLComposeViewControllerResult : long {
    SLComposeViewControllerResultCancelled = 0,
    SLComposeViewControllerResultDone = 1,
};

// Where the device keeps its accounts: a dictionary whose "TwitterAccount"
// names the signed-in account; without one the service is unavailable.
inline constexpr const char* kAccountsPlistPath = "/var/mobile/Library/Accounts/Accounts.plist";
// The web address that composes a post with a given text.
inline constexpr const char* kTweetComposeAddress = "https://twitter.com/intent/tweet?text=";

class SLComposeViewController : public uikit::UIViewController {
public:
    using CompletionHandler = std::function<void(long result)>;

    static objc::Class objcClass();
    // True for the Twitter service when the device has a Twitter account.
    static bool isAvailableForServiceType(std::string_view serviceType);
    // A sheet for the service; nothing for an unknown service.
    static std::shared_ptr<SLComposeViewController> composeViewControllerForServiceType(std::string_view serviceType);

    const std::string& serviceType() const { return serviceType_; }
    // False, and nothing changes, once the sheet is shown: the person owns
    // the text from then on.
    bool setInitialText(std::string text);
    const std::string& initialText() const { return initialText_; }
    // How many times the text was set before the sheet was shown.
    int initialTextChangeCount() const { return initialTextChanges_; }

    void setCompletionHandler(CompletionHandler handler) { completionHandler_ = std::move(handler); }
    const CompletionHandler& completionHandler() const { return completionHandler_; }

    // What the person does with the shown sheet. Sending hands the text to
    // the service's web address through `openURL:` and reports Done;
    // cancelling reports Cancelled. The handler runs once; the sheet answers
    // nothing after that.
    void send();
    void cancel();

    void viewWillAppear(bool animated) override;

protected:
    friend objc::Allocation;
    explicit SLComposeViewController(objc::Class isa = objcClass()) : uikit::UIViewController(isa) {}

private:
    void finish(long result);

    std::string serviceType_;
    std::string initialText_;
    int initialTextChanges_ = 0;
    bool shown_ = false;
    bool finished_ = false;
    CompletionHandler completionHandler_;
};

using SLComposeViewControllerRef = std::shared_ptr<SLComposeViewController>;

// RFC 3986 percent-encoding: everything but letters, digits and "-._~".
std::string percentEncodeQueryValue(std::string_view text);

}  // namespace social
