#include "platform/foundation/DispatchQueue.h"

#include <cassert>

namespace foundation {

DispatchQueue::DispatchQueue(std::string label) : label_(std::move(label)), thread_([this] { run(); }) {}

DispatchQueue::~DispatchQueue() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void DispatchQueue::async(std::function<void()> work) {
    {
        std::lock_guard lock(mutex_);
        items_.push_back(std::move(work));
    }
    wake_.notify_one();
}

void DispatchQueue::drain() {
    // The queue's thread would wait for itself for ever.
    assert(!isCurrent() && "DispatchQueue::drain called on the queue's own thread");
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [&] { return items_.empty() && !running_; });
}

std::size_t DispatchQueue::pendingCount() {
    std::lock_guard lock(mutex_);
    return items_.size() + (running_ ? 1 : 0);
}

void DispatchQueue::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return stopping_ || !items_.empty(); });
        if (items_.empty()) return;  // Stopping, and nothing left to run.
        auto work = std::move(items_.front());
        items_.pop_front();
        running_ = true;
        lock.unlock();
        work();
        work = nullptr;  // Release what the work captured before reporting idle.
        lock.lock();
        running_ = false;
        if (items_.empty()) idle_.notify_all();
    }
}

DispatchQueue& mainQueue() {
    static auto* queue = new DispatchQueue("main");  // Lives as long as the process.
    return *queue;
}

}  // namespace foundation
