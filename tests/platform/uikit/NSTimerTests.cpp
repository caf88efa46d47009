// The main run loop's timers: their order, the target they hold, repeating
// and invalidating.
#include "platform/runtime/Selector.h"
#include "platform/uikit/NSRunLoop.h"
#include "platform/uikit/NSTimer.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIBarButtonItem.h"

#include <gtest/gtest.h>

namespace {

using namespace uikit;

class Target : public objc::Object {
public:
    static objc::Class objcClass() {
        static objc::Class cls = [] {
            objc::Class made = objc::objc_registerClass("SnapfoldTestTimerTarget", objc::rootClass());
            objc::class_addMethod(
                made, objc::TypedSelector<void()>("tick"),
                +[](objc::id self, objc::SEL) { static_cast<Target*>(self)->fired.push_back(0); });
            objc::class_addMethod(
                made, objc::TypedSelector<void(objc::id)>("tickWith:"), +[](objc::id self, objc::SEL, objc::id sender) {
                    static_cast<Target*>(self)->fired.push_back(1);
                    static_cast<Target*>(self)->sender = sender;
                });
            return made;
        }();
        return cls;
    }
    static std::shared_ptr<Target> create() { return objc::make<Target>(); }
    std::vector<int> fired;
    objc::Object* sender = nullptr;

protected:
    friend objc::Allocation;
    Target() : objc::Object(objcClass()) {}
};

class NSTimerTest : public ::testing::Test {
protected:
    void SetUp() override { NSRunLoop::mainRunLoop().resetForTesting(); }
    void TearDown() override { NSRunLoop::mainRunLoop().resetForTesting(); }
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
};

TEST_F(NSTimerTest, WorkRunsInDueOrderThenSchedulingOrder) {
    std::vector<int> order;
    loop.schedule(1.0, [&] { order.push_back(3); });
    loop.schedule(0.5, [&] { order.push_back(1); });
    loop.schedule(0.5, [&] { order.push_back(2); });
    loop.schedule(0.0, [&] { loop.schedule(0.0, [&] { order.push_back(0); }); });
    loop.runUntilDate(0.9);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    EXPECT_DOUBLE_EQ(loop.currentTime(), 0.9);
    loop.runUntilIdle();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3}));
}

TEST_F(NSTimerTest, AOneShotTimerHoldsItsTargetUntilItFires) {
    auto target = Target::create();
    std::weak_ptr<Target> weakTarget = target;
    auto timer = NSTimer::scheduledTimerWithTimeInterval(0.5, target, "tick", nullptr, false);
    target.reset();
    EXPECT_FALSE(weakTarget.expired());
    loop.runUntilDate(0.49);
    EXPECT_FALSE(weakTarget.expired());
    EXPECT_TRUE(weakTarget.lock()->fired.empty());
    loop.runUntilDate(0.5);
    EXPECT_TRUE(weakTarget.expired()) << "fired once, then let go";
    EXPECT_FALSE(timer->isValid());
}

TEST_F(NSTimerTest, ARepeatingTimerFiresUntilInvalidatedAndPassesItself) {
    auto target = Target::create();
    auto timer = NSTimer::scheduledTimerWithTimeInterval(0.25, target, "tickWith:", nullptr, true);
    loop.runUntilDate(1.0);
    EXPECT_EQ(target->fired.size(), 4u);
    EXPECT_EQ(target->sender, timer.get());
    timer->invalidate();
    loop.runUntilDate(2.0);
    EXPECT_EQ(target->fired.size(), 4u);
    EXPECT_EQ(loop.pendingCount(), 0u);
}

TEST_F(NSTimerTest, ABarButtonSendsItsActionOnlyWhileItsTargetLives) {
    auto target = Target::create();
    auto item = UIBarButtonItem::create(UIBarButtonSystemItemCompose, target, "tickWith:");
    EXPECT_TRUE(item->tap());
    EXPECT_EQ(target->sender, item.get());
    target.reset();
    EXPECT_FALSE(item->tap()) << "the item does not keep its target";
    EXPECT_FALSE(UIApplication::sendAction("noSuchMethod", item.get(), nullptr));
}

}  // namespace
