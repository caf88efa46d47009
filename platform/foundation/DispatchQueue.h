// Serial queues: one thread each, running submitted work in order. The
// process's delivery queue stands in for the phone's main queue: the photo
// library delivers every result block there.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace foundation {

class DispatchQueue {
public:
    explicit DispatchQueue(std::string label);
    // Runs what is queued, then stops the thread.
    ~DispatchQueue();
    DispatchQueue(const DispatchQueue&) = delete;
    DispatchQueue& operator=(const DispatchQueue&) = delete;

    const std::string& label() const { return label_; }
    // Queues work; it runs later on the queue's thread, never inside this call.
    void async(std::function<void()> work);
    // Blocks until every item queued so far, and anything those items queue
    // in turn, has run. Must not be called from the queue's own thread.
    void drain();
    bool isCurrent() const { return std::this_thread::get_id() == thread_.get_id(); }
    std::size_t pendingCount();

private:
    void run();

    std::string label_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<std::function<void()>> items_;
    bool running_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

// The process's delivery queue, made on first use and never destroyed.
DispatchQueue& mainQueue();

}  // namespace foundation
