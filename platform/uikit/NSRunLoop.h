// The main run loop: timers and scheduled work of the user interface, on a
// clock that only moves when the run loop is run. The Settings host runs it
// forward to let a page's timers and animations play out; tests do the same,
// so "half a second later" needs no waiting.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>

namespace uikit {

class NSRunLoop {
public:
    // The process's main run loop. The user interface lives on the main
    // thread, so `currentRunLoop` is the main run loop too.
    static NSRunLoop& mainRunLoop();
    static NSRunLoop& currentRunLoop() { return mainRunLoop(); }

    // Seconds on the run loop's clock since the process started it.
    double currentTime() const;

    // Runs `work` once the clock reaches now + `delay` (never inside this
    // call). Returns a ticket for `cancel`.
    std::uint64_t schedule(double delay, std::function<void()> work);
    void cancel(std::uint64_t ticket);

    // Moves the clock to `time`, running every piece of work due by then in
    // the order of its due time (then of scheduling), each at its own time.
    void runUntilDate(double time);
    void runForInterval(double seconds) { runUntilDate(currentTime() + seconds); }
    // Runs until nothing is scheduled, or until `limit` seconds have passed on
    // the clock (repeating timers would otherwise never end).
    void runUntilIdle(double limit = 3600);
    std::size_t pendingCount() const;

    // Test seam: drops everything scheduled and sets the clock back to zero.
    void resetForTesting();

private:
    NSRunLoop() = default;

    mutable std::mutex mutex_;
    double now_ = 0;
    std::uint64_t nextTicket_ = 1;
    // Ordered by (due time, ticket): equal due times run in scheduling order.
    std::map<std::pair<double, std::uint64_t>, std::function<void()>> pending_;
};

}  // namespace uikit
