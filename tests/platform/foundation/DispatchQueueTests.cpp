#include "platform/foundation/DispatchQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace {

TEST(DispatchQueueTest, RunsWorkInOrderOnItsOwnThreadNeverInsideTheCall) {
    foundation::DispatchQueue queue("test");
    std::vector<int> order;  // Touched only on the queue's thread until drain returns.
    std::atomic<bool> onQueueThread{true};
    for (int i = 0; i < 100; ++i) {
        queue.async([&, i] {
            order.push_back(i);
            if (!queue.isCurrent()) onQueueThread = false;
        });
    }
    queue.drain();
    ASSERT_EQ(order.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(order[i], i);
    EXPECT_TRUE(onQueueThread);
    EXPECT_FALSE(queue.isCurrent());
}

TEST(DispatchQueueTest, DrainWaitsForWorkQueuedByWork) {
    foundation::DispatchQueue queue("nested");
    std::atomic<int> done{0};
    queue.async([&] {
        queue.async([&] {
            queue.async([&] { ++done; });
            ++done;
        });
        ++done;
    });
    queue.drain();
    EXPECT_EQ(done.load(), 3);
    EXPECT_EQ(queue.pendingCount(), 0u);
}

TEST(DispatchQueueTest, CapturesAreReleasedOnceTheWorkHasRun) {
    foundation::DispatchQueue queue("release");
    auto token = std::make_shared<int>(1);
    std::weak_ptr<int> watch = token;
    queue.async([token = std::move(token)] {});
    queue.drain();
    EXPECT_TRUE(watch.expired());
}

}  // namespace
