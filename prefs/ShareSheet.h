// The share button that every page carries, and what it opens.
#pragma once

#include "platform/uikit/UIViewController.h"

namespace snapfold::prefs {

inline constexpr const char* kShareText =
    "#Snapfold makes it easy to keep my WhatsApp pictures organized, thanks @Veltrona";

// Puts a compose button (system item 7) on the right of the page's navigation
// bar, sending `tweetSupport:` to the page. The item holds the page weakly.
void addShareButton(uikit::UIViewController& page);

// When the Twitter service is available: a compose sheet with the share
// text, presented by the page, which dismisses itself when it finishes
// (sent or cancelled). Otherwise nothing at all.
void presentShareSheet(uikit::UIViewController& page);

}  // namespace snapfold::prefs
