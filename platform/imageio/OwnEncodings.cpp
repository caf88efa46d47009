#include "platform/imageio/OwnEncodings.h"

#include <array>
#include <mutex>

namespace imageio::detail {

namespace {

// Saves in flight at once are few; an encoding pushed out of this window is
// only checked the long way.
constexpr std::size_t kRemembered = 16;

struct Record {
    std::mutex mutex;
    std::array<std::weak_ptr<const foundation::NSData>, kRemembered> encodings;
    std::size_t next = 0;
};

Record& record() {
    static auto* shared = new Record;  // never destroyed: encoders may run during exit
    return *shared;
}

}  // namespace

void rememberOwnEncoding(const foundation::NSDataRef& png) {
    if (!png) return;
    auto& shared = record();
    std::lock_guard lock(shared.mutex);
    shared.encodings[shared.next] = png;
    shared.next = (shared.next + 1) % kRemembered;
}

bool isOwnEncoding(const foundation::NSDataRef& data) {
    if (!data) return false;
    auto& shared = record();
    std::lock_guard lock(shared.mutex);
    for (const auto& remembered : shared.encodings) {
        // A weak pointer that still locks to this address is this very buffer:
        // an address reused after a buffer died no longer locks.
        if (auto alive = remembered.lock(); alive && alive.get() == data.get()) return true;
    }
    return false;
}

}  // namespace imageio::detail
