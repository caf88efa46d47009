#include "platform/social/SLComposeViewController.h"

#include "platform/foundation/NSLog.h"
#include "platform/foundation/PropertyList.h"
#include "platform/uikit/UIApplication.h"

namespace social {

objc::Class SLComposeViewController::objcClass() {
    static objc::Class cls = objc::objc_registerClass(
        "SLComposeViewController", uikit::UIViewController::objcClass(),
        [](objc::Class isa) { return objc::make<SLComposeViewController>(isa); });
    return cls;
}

bool SLComposeViewController::isAvailableForServiceType(std::string_view serviceType) {
    if (serviceType != SLServiceTypeTwitter) return false;
    auto accounts = foundation::dictionaryWithContentsOfFile(kAccountsPlistPath);
    if (!accounts) return false;
    auto account = accounts->find("TwitterAccount");
    return account != accounts->end() && account->second.string() && !account->second.string()->empty();
}

std::shared_ptr<SLComposeViewController> SLComposeViewController::composeViewControllerForServiceType(
    std::string_view serviceType) {
    if (serviceType != SLServiceTypeTwitter) return nullptr;
    auto sheet = objc::make<SLComposeViewController>();
    sheet->serviceType_ = std::string(serviceType);
    return sheet;
}

bool SLComposeViewController::setInitialText(std::string text) {
    if (shown_) return false;
    initialText_ = std::move(text);
    ++initialTextChanges_;
    return true;
}

void SLComposeViewController::viewWillAppear(bool animated) {
    uikit::UIViewController::viewWillAppear(animated);
    shown_ = true;
}

void SLComposeViewController::send() {
    if (finished_) return;
    auto url = foundation::NSURL::URLWithString(kTweetComposeAddress + percentEncodeQueryValue(initialText_));
    if (!uikit::UIApplication::sharedApplication().openURL(url))
        foundation::NSLog("Social: nothing opened %@", url ? url->absoluteString() : std::string("(no address)"));
    finish(SLComposeViewControllerResultDone);
}

void SLComposeViewController::cancel() {
    if (!finished_) finish(SLComposeViewControllerResultCancelled);
}

void SLComposeViewController::finish(long result) {
    finished_ = true;
    // Keep the sheet alive through the handler, which usually dismisses it.
    auto self = std::static_pointer_cast<SLComposeViewController>(retain());
    if (auto handler = completionHandler_) {
        handler(result);
    } else {
        dismissViewControllerAnimated(true, nullptr);  // The platform dismisses a sheet that has no handler.
    }
}

std::string percentEncodeQueryValue(std::string_view text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
            byte == '-' || byte == '.' || byte == '_' || byte == '~') {
            out += c;
        } else {
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 15];
        }
    }
    return out;
}

}  // namespace social
