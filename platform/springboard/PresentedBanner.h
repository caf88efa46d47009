// What the banner stand-in shows, and who hears about it: every bulletin
// added to the banner controller becomes a PresentedBanner, is recorded, is
// handed to the listeners, and is drawn on the terminal and the desktop.
#pragma once

#include "platform/runtime/Runtime.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace springboard {

struct PresentedBanner {
    std::string title;
    std::string message;
    std::string sectionID;
    unsigned long feed = 0;
    // The observer passed with the bulletin: only its identity, as the
    // controller does not keep it.
    const void* observer = nullptr;
    // The bulletin itself, retained as the controller retains it.
    std::shared_ptr<objc::Object> bulletin;
};

using BannerListener = std::function<void(const PresentedBanner&)>;
using BannerListenerToken = std::uint64_t;

// Listeners are called on the thread that added the bulletin, after it was
// recorded and before it is drawn. Once removeBannerListener has returned,
// the listener is not called again.
BannerListenerToken addBannerListener(BannerListener listener);
void removeBannerListener(BannerListenerToken token);

// Where banners are drawn as framed boxes (standard output unless changed;
// null: not drawn). The desktop notification is separate: it is sent only
// inside a desktop session with notify-send installed.
void setBannerTerminal(std::FILE* terminal);

// How many of the latest banners stay recorded; older ones are dropped, with
// the bulletin each one retains.
inline constexpr std::size_t kRecordedBannerLimit = 64;

// The banners presented in this process so far, oldest first: the latest
// kRecordedBannerLimit of them.
std::vector<PresentedBanner> presentedBannersForTesting();
void clearPresentedBannersForTesting();

// Records, notifies and draws one banner: the banner controller's work.
void presentBanner(PresentedBanner banner);

}  // namespace springboard
