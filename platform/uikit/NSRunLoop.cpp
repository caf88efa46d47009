#include "platform/uikit/NSRunLoop.h"

#include <algorithm>

namespace uikit {

NSRunLoop& NSRunLoop::mainRunLoop() {
    static auto* loop = new NSRunLoop;  // Lives as long as the process.
    return *loop;
}

double NSRunLoop::currentTime() const {
    std::lock_guard lock(mutex_);
    return now_;
}

std::uint64_t NSRunLoop::schedule(double delay, std::function<void()> work) {
    std::lock_guard lock(mutex_);
    std::uint64_t ticket = nextTicket_++;
    pending_.emplace(std::pair{now_ + std::max(delay, 0.0), ticket}, std::move(work));
    return ticket;
}

void NSRunLoop::cancel(std::uint64_t ticket) {
    std::function<void()> dropped;  // Destroyed after the lock: its captures may run destructors.
    std::lock_guard lock(mutex_);
    for (auto it = pending_.begin(); it != pending_.end(); ++it) {
        if (it->first.second != ticket) continue;
        dropped = std::move(it->second);
        pending_.erase(it);
        break;
    }
}

void NSRunLoop::runUntilDate(double time) {
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard lock(mutex_);
            auto next = pending_.begin();
            if (next == pending_.end() || next->first.first > time) {
                now_ = std::max(now_, time);
                return;
            }
            now_ = std::max(now_, next->first.first);
            work = std::move(next->second);
            pending_.erase(next);
        }
        // Run outside the lock: the work may schedule more work.
        work();
    }
}

void NSRunLoop::runUntilIdle(double limit) {
    double end = currentTime() + limit;
    for (;;) {
        double due;
        {
            std::lock_guard lock(mutex_);
            if (pending_.empty()) return;
            due = pending_.begin()->first.first;
        }
        if (due > end) {
            runUntilDate(end);
            return;
        }
        runUntilDate(due);
    }
}

std::size_t NSRunLoop::pendingCount() const {
    std::lock_guard lock(mutex_);
    return pending_.size();
}

void NSRunLoop::resetForTesting() {
    decltype(pending_) dropped;
    {
        std::lock_guard lock(mutex_);
        dropped.swap(pending_);
        now_ = 0;
    }
    // `dropped` is destroyed here, outside the lock: what the work captured
    // (a timer's target, for instance) may run destructors of its own.
}

}  // namespace uikit
