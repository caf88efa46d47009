// The platform counts dates in seconds since 2001-01-01 00:00:00 UTC.
#pragma once

#include <chrono>

namespace assets {

inline double secondsSinceReferenceDateNow() {
    constexpr double kUnixTimeOfReferenceDate = 978307200.0;
    auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration<double>(now).count() - kUnixTimeOfReferenceDate;
}

}  // namespace assets
