#include "prefs/SnapfoldListController.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/NSLog.h"
#include "platform/mobilegestalt/MobileGestalt.h"
#include "platform/runtime/Selector.h"
#include "platform/uikit/NSTimer.h"
#include "platform/uikit/UIImageRenderingMode.h"
#include "platform/uikit/UIImageView.h"
#include "prefs/SettingsFile.h"
#include "prefs/ShareSheet.h"
#include "prefs/views/VeltronaSnapfoldCustomHeaderView.h"
#include "prefs/views/VeltronaSnapfoldLogoTableCell.h"

#include <fstream>
#include <iterator>

#ifndef SNAPFOLD_SUPPORT_ADDRESS
#define SNAPFOLD_SUPPORT_ADDRESS "support@veltrona.example"
#endif

namespace {

const objc::TypedSelector<void()> kIncreaseAlpha{"increaseAlpha"};
const objc::TypedSelector<void(objc::id)> kTweetSupport{"tweetSupport:"};
const objc::TypedSelector<void()> kEmailVeltrona{"emailVeltrona"};

void increaseAlphaImp(objc::id self, objc::SEL) { static_cast<SnapfoldListController*>(self)->increaseAlpha(); }
void tweetSupportImp(objc::id self, objc::SEL, objc::id sender) {
    static_cast<SnapfoldListController*>(self)->tweetSupport(sender);
}
void emailVeltronaImp(objc::id self, objc::SEL) { static_cast<SnapfoldListController*>(self)->emailVeltrona(); }

// An answer of MobileGestalt as "%@" prints it: a string as is, nothing as "(null)".
std::string answerText(const std::shared_ptr<const foundation::PlistValue>& answer) {
    if (!answer) return "(null)";
    return answer->string() ? *answer->string() : answer->description();
}

// The settings file's bytes, or nothing when there is no file to read.
foundation::NSDataRef settingsFileBytes() {
    std::ifstream in(foundation::hostPath(snapfold::prefs::kSettingsFileMailPath), std::ios::binary);
    if (!in) return nullptr;
    auto bytes = std::make_shared<foundation::NSData>(std::istreambuf_iterator<char>(in),
                                                      std::istreambuf_iterator<char>());
    return in.bad() ? nullptr : bytes;
}

}  // namespace

objc::Class SnapfoldListController::objcClass() {
    static objc::Class cls = [] {
        objc::Class made = objc::objc_registerClass(
            "SnapfoldListController", VeltronaSnapfoldListController::objcClass(),
            [](objc::Class isa) { return objc::make<SnapfoldListController>(isa); });
        objc::class_addMethod(made, kIncreaseAlpha, &increaseAlphaImp);
        objc::class_addMethod(made, kTweetSupport, &tweetSupportImp);
        objc::class_addMethod(made, kEmailVeltrona, &emailVeltronaImp);
        return made;
    }();
    return cls;
}

std::shared_ptr<SnapfoldListController> SnapfoldListController::create() {
    return objc::make<SnapfoldListController>();
}

std::string SnapfoldListController::supportRecipient() {
    return std::string("Veltrona <") + SNAPFOLD_SUPPORT_ADDRESS + ">";
}

preferences::SpecifierList SnapfoldListController::specifiers() {
    // No title: the logo stands in its place.
    if (!_specifiers) _specifiers = specifiersForPlistName(kSpecifierListName);
    return _specifiers;
}

void SnapfoldListController::loadView() {
    VeltronaSnapfoldListController::loadView();
    snapfold::prefs::addShareButton(*this);
}

void SnapfoldListController::viewDidLoad() {
    // 1. The logo, drawn as a template in the bar's tint colour.
    auto logo = uikit::imageWithRenderingMode(uikit::UIImage::initWithContentsOfFile(kTitleLogoPath),
                                              uikit::UIImageRenderingModeAlwaysTemplate);
    // 2. Its image view becomes the title view (the navigation item owns it).
    navigationItem().setTitleView(uikit::UIImageView::create(std::move(logo)));
    // 3. Invisible until the fade.
    navigationItem().titleView()->setAlpha(0.0);
    // 4. The framework's own viewDidLoad.
    VeltronaSnapfoldListController::viewDidLoad();
    // 5. Half a second later the fade begins. The timer holds the page until it fires.
    uikit::NSTimer::scheduledTimerWithTimeInterval(0.5, retain(), "increaseAlpha", nullptr, false);
}

void SnapfoldListController::increaseAlpha() {
    // Whatever is the title view by now fades in over half a second.
    uikit::UIView::animateWithDuration(0.5, [this] {
        if (const auto& titleView = navigationItem().titleView()) titleView->setAlpha(1.0);
    });
}

void SnapfoldListController::tweetSupport(objc::Object*) { snapfold::prefs::presentShareSheet(*this); }

uikit::UIViewRef SnapfoldListController::tableViewViewForHeaderInSection(uikit::UITableView&, long section) {
    // Made anew at every request; the table owns what it is given.
    if (section == 0) return VeltronaSnapfoldCustomHeaderView::create();
    if (section == 4) return VeltronaSnapfoldLogoTableCell::create();
    return nullptr;
}

double SnapfoldListController::tableViewHeightForHeaderInSection(uikit::UITableView&, long section) {
    if (section == 0) return 140.0;
    if (section == 4) return 30.0;
    return -1.0;
}

void SnapfoldListController::emailVeltrona() {
    // A device that cannot send mail gets no sheet; nothing is shown.
    if (!messageui::MFMailComposeViewController::canSendMail()) {
        foundation::NSLog("Snapfold: this device cannot send mail; no support mail composed");
        return;
    }
    uikit::UINavigationController* presenter = navigationController();
    if (!presenter) {
        foundation::NSLog("Snapfold: the page has no navigation controller to present the support mail");
        return;
    }
    // The composer, addressed to the makers' support.
    auto composer = messageui::MFMailComposeViewController::create();
    composer->setSubject(kMailSubject);
    composer->setToRecipients({supportRecipient()});
    // The device line, after two empty lines for the user's words. The
    // answers are let go as soon as the body holds their text.
    auto productType = MGCopyAnswer("ProductType");
    auto productVersion = MGCopyAnswer("ProductVersion");
    auto buildVersion = MGCopyAnswer("BuildVersion");
    composer->setMessageBody(foundation::stringWithFormat(kMailBodyFormat, answerText(productType),
                                                          answerText(productVersion), answerText(buildVersion)),
                             false);
    productType.reset();
    productVersion.reset();
    buildVersion.reset();
    // The settings file, when there is one yet: before the first change
    // the mail goes without it.
    if (auto bytes = settingsFileBytes()) {
        composer->addAttachmentData(std::move(bytes), kAttachmentType, kAttachmentName);
    } else {
        foundation::NSLog("Snapfold: no settings file yet; the support mail goes without it");
    }
    // Shown by the navigation controller, which keeps the composer; the page
    // keeps no reference to it. The composer holds its delegate, the page,
    // only weakly, so the sheet never keeps a page alive.
    presenter->presentViewController(composer, true, nullptr);
    composer->setMailComposeDelegate(
        std::dynamic_pointer_cast<messageui::MFMailComposeViewControllerDelegate>(retain()));
}

void SnapfoldListController::mailComposeControllerDidFinishWithResult(messageui::MFMailComposeViewController&, long,
                                                                      foundation::NSErrorRef) {
    dismissViewControllerAnimated(true, nullptr);
}
