// The system log, in the platform's style: each line goes to standard error as
// "<date> <time> <process>[<pid>:<thread>] <message>".
#pragma once

#include "platform/foundation/Format.h"

#include <functional>
#include <string>
#include <string_view>

namespace foundation {

void logMessage(std::string_view message);

// `NSLog(format, ...)`.
template <typename... Args>
void NSLog(std::string_view format, const Args&... args) {
    logMessage(stringWithFormat(format, args...));
}

// Test seam: while set, every logged message goes to the sink (without the
// date and process prefix) instead of standard error.
void setLogSinkForTesting(std::function<void(const std::string&)> sink);

}  // namespace foundation
