// Every URL the device was asked to open, one per line, in the device root,
// so that the Settings host (or anyone) can show what a tap opened even when
// no desktop is there to open it:
//   /var/mobile/Library/SpringBoard/OpenedURLs.log
#pragma once

#include "platform/foundation/ErrorOr.h"

#include <string>
#include <string_view>
#include <vector>

namespace uikit {

inline constexpr const char* kOpenedURLLogPath = "/var/mobile/Library/SpringBoard/OpenedURLs.log";

// Appends one line in a single write, so lines of processes that open URLs at
// the same time never interleave. Control characters (a line break in a URL
// made from untrusted text) are written percent-escaped, keeping one URL per
// line.
foundation::ErrorOr<void> appendOpenedURL(std::string_view url);
// The logged URLs, oldest first; empty when nothing was opened yet.
std::vector<std::string> openedURLLog();

}  // namespace uikit
