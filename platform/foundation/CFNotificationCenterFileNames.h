// How the notify center spells a notification name as a file name in the
// notification folder, and back.
//
// Bytes that cannot stand in a file name, or would make one that means
// something else, are written as "%" and two upper-case hex digits: "/", "%",
// control bytes (below 0x20, and 0x7F) and a leading ".". Every other byte
// stands for itself. Only that one spelling decodes: "%2f", "%41" or "%G0"
// name nothing, so a stray file can never pose as a second spelling of a name.
#pragma once

#include "platform/foundation/ErrorOr.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// The longest file name Linux file systems take (NAME_MAX).
inline constexpr std::size_t kLongestNotificationFileName = 255;

// The file name of a notification name; an error for the empty name, for a
// name holding a zero byte (names are C strings) and for a name too long for
// a file name once encoded: no post can carry those.
ErrorOr<std::string> notificationFileName(std::string_view name);

// The notification name a file name stands for, or nothing when the file
// name is not exactly what notificationFileName makes of some name. Never
// throws, whatever the bytes.
std::optional<std::string> notificationNameFromFile(std::string_view fileName);

}  // namespace foundation
