// The outcome banner of a diverted save, shown through the home screen's
// bulletin classes where the process has them.
#pragma once

#include <string>

namespace snapfold {

inline constexpr const char* kBannerTitle = "Snapfold";
inline constexpr const char* kBannerSectionID = "net.whatsapp.WhatsApp";
// The banner feed: bulletins on this feed are shown as banners.
inline constexpr unsigned long kBannerFeed = 2;

// Shows `message` as a banner titled "Snapfold". The two banner classes are
// looked up by name at every call; where either is missing the call does
// nothing at all (no request is made, nothing is logged).
void showCompletionBannerWithMessage(const std::string& message);

}  // namespace snapfold
