// The device's own list of the apps that take URL schemes: on the phone an
// installed app declares its schemes; here the list says which client apps
// count as installed, so tests and the Settings host can install and remove
// them. It is a property-list dictionary in the device root, scheme (lower
// case, without ":") to the app's name:
//   /var/mobile/Library/SpringBoard/URLSchemeHandlers.plist
//   { "tweetbot" = "Tweetbot"; "twitter" = "Twitter"; }
#pragma once

#include "platform/foundation/ErrorOr.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace uikit {

inline constexpr const char* kURLSchemeHandlersPath = "/var/mobile/Library/SpringBoard/URLSchemeHandlers.plist";

// "Tweetbot", "tweetbot:" and "tweetbot://" all name the scheme "tweetbot";
// nothing for text that is not a URL scheme (a letter, then letters, digits,
// "+", "-" or ".").
std::optional<std::string> normalizedURLScheme(std::string_view text);

// The installed apps by scheme. Empty when the list is missing; a list that
// is not a dictionary is logged and read as empty.
std::map<std::string, std::string> deviceURLSchemeHandlers();
// The name of the app that takes `scheme` (any case), or nothing.
std::optional<std::string> deviceHandlerForScheme(std::string_view scheme);

// Adds or renames the app for a scheme. Processes that change the list at the
// same time do so one after the other, so no change is lost.
foundation::ErrorOr<void> installURLSchemeHandler(std::string_view scheme, std::string_view appName);
// Removes the app for a scheme; false when none was installed.
foundation::ErrorOr<bool> removeURLSchemeHandler(std::string_view scheme);

}  // namespace uikit
