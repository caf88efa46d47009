// The delivery of result blocks: every result of the photo library reaches
// its caller through here, later, on the process's delivery queue
// (foundation::mainQueue()). The test seam can hold deliveries back, and can
// wait until every operation started so far has delivered.
#pragma once

#include <functional>
#include <memory>

namespace assets::delivery {

// One operation of the library, from the call that starts it until its
// results have been delivered (or it has turned out to have none).
class PendingOperation {
public:
    PendingOperation();
    ~PendingOperation();
    PendingOperation(const PendingOperation&) = delete;
    PendingOperation& operator=(const PendingOperation&) = delete;
};
using Operation = std::shared_ptr<PendingOperation>;

// Call at the start of every operation, on the caller's thread.
Operation begin();

// Runs `results` on the delivery queue, never inside this call. While
// delivery is held, the results wait, in order, until it is released.
void deliver(Operation operation, std::function<void()> results);

void setHeld(bool held);
// Blocks until every operation begun so far has delivered its results, or
// is waiting for a held delivery. Never call it on the delivery queue.
void drain();

}  // namespace assets::delivery
