#include "prefs/ShareSheet.h"

#include "platform/social/SLComposeViewController.h"
#include "platform/uikit/UIBarButtonItem.h"

namespace snapfold::prefs {

void addShareButton(uikit::UIViewController& page) {
    page.navigationItem().setRightBarButtonItem(
        uikit::UIBarButtonItem::create(uikit::UIBarButtonSystemItemCompose, page.retain(), "tweetSupport:"));
}

void presentShareSheet(uikit::UIViewController& page) {
    // 1. No service, no sheet.
    if (!social::SLComposeViewController::isAvailableForServiceType(social::SLServiceTypeTwitter)) return;
    // 2. The sheet with the share text, set once.
    auto sheet = social::SLComposeViewController::composeViewControllerForServiceType(social::SLServiceTypeTwitter);
    if (!sheet) return;
    sheet->setInitialText(kShareText);
    // 3. Shown by the page itself.
    page.presentViewController(sheet, true, nullptr);
    // 4. Whatever the outcome, the sheet dismisses itself. The handler holds
    //    the sheet weakly: the sheet owns the handler, and the presentation
    //    keeps the sheet alive while it is shown.
    std::weak_ptr<social::SLComposeViewController> weakSheet = sheet;
    sheet->setCompletionHandler([weakSheet](long) {
        auto strongSheet = weakSheet.lock();
        if (!strongSheet) return;
        strongSheet->dismissViewControllerAnimated(true, nullptr);
    });
}

}  // namespace snapfold::prefs
