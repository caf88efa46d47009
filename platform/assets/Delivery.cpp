#include "platform/assets/Delivery.h"

#include "platform/foundation/DispatchQueue.h"

#include <cassert>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

namespace assets::delivery {

namespace {

struct DeliveryState {
    std::mutex mutex;
    std::condition_variable settled;
    std::int64_t inFlight = 0;
    bool held = false;
    std::vector<std::function<void()>> heldResults;
};

DeliveryState& state() {
    static auto* instance = new DeliveryState;  // Used by queue threads until the process ends.
    return *instance;
}

}  // namespace

PendingOperation::PendingOperation() {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    ++s.inFlight;
}

PendingOperation::~PendingOperation() {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    --s.inFlight;
    s.settled.notify_all();
}

Operation begin() { return std::make_shared<PendingOperation>(); }

void deliver(Operation operation, std::function<void()> results) {
    // The results (and whatever they hold, a library object included) are
    // released before the operation counts as delivered, so a test that has
    // drained sees every capture gone.
    auto task = [operation = std::move(operation), results = std::move(results)]() mutable {
        if (results) results();
        results = nullptr;
    };
    auto& s = state();
    std::lock_guard lock(s.mutex);
    if (s.held) {
        s.heldResults.push_back(std::move(task));
        s.settled.notify_all();
        return;
    }
    foundation::mainQueue().async(std::move(task));
}

void setHeld(bool held) {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    s.held = held;
    if (held) return;
    for (auto& results : s.heldResults) foundation::mainQueue().async(std::move(results));
    s.heldResults.clear();
}

void drain() {
    // A delivery waiting behind this call could never run.
    assert(!foundation::mainQueue().isCurrent() && "delivery::drain called on the delivery queue");
    auto& s = state();
    std::unique_lock lock(s.mutex);
    s.settled.wait(lock, [&] { return s.inFlight <= static_cast<std::int64_t>(s.heldResults.size()); });
}

}  // namespace assets::delivery
