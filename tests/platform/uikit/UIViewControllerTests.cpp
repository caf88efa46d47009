// View controllers: life-cycle calls on push and pop, nested navigation, and
// modal presentation and dismissal.
#include "platform/uikit/NSRunLoop.h"
#include "platform/uikit/UIViewController.h"

#include <gtest/gtest.h>

namespace {

using namespace uikit;

class Recorder : public UIViewController {
public:
    Recorder(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}
    void loadView() override {
        UIViewController::loadView();
        log_.push_back(name_ + ".loadView");
    }
    void viewDidLoad() override { log_.push_back(name_ + ".viewDidLoad"); }
    void viewWillAppear(bool animated) override {
        UIViewController::viewWillAppear(animated);
        log_.push_back(name_ + ".willAppear");
    }
    void viewWillDisappear(bool animated) override {
        UIViewController::viewWillDisappear(animated);
        log_.push_back(name_ + ".willDisappear");
    }

private:
    std::string name_;
    std::vector<std::string>& log_;
};

TEST(UIViewControllerTest, PushAndPopTellBothPagesInOrder) {
    std::vector<std::string> log;
    UINavigationController navigation;
    auto first = std::make_shared<Recorder>("first", log), second = std::make_shared<Recorder>("second", log);
    navigation.pushViewController(first, false);
    navigation.pushViewController(second, true);
    EXPECT_EQ(navigation.popViewControllerAnimated(true), second);
    EXPECT_EQ(log, (std::vector<std::string>{"first.loadView", "first.viewDidLoad", "first.willAppear",
                                             "first.willDisappear", "second.loadView", "second.viewDidLoad",
                                             "second.willAppear", "second.willDisappear", "first.willAppear"}));
    EXPECT_FALSE(navigation.popViewControllerAnimated(true)) << "the root page stays";
    EXPECT_EQ(second->navigationController(), nullptr);
}

TEST(UIViewControllerTest, NestedNavigationControllersAreFoundLevelByLevel) {
    auto outer = std::make_shared<UINavigationController>();
    auto inner = std::make_shared<UINavigationController>();
    auto page = std::make_shared<UIViewController>();
    outer->pushViewController(inner, false);
    inner->pushViewController(page, false);
    EXPECT_EQ(page->navigationController(), inner.get());
    EXPECT_EQ(inner->navigationController(), outer.get());
    EXPECT_EQ(outer->navigationController(), nullptr);
}

TEST(UIViewControllerTest, DismissalReachesWhoeverPresented) {
    NSRunLoop::mainRunLoop().resetForTesting();
    auto navigation = std::make_shared<UINavigationController>();
    auto page = std::make_shared<UIViewController>();
    navigation->pushViewController(page, false);
    auto sheet = std::make_shared<UIViewController>();
    bool completed = false;
    navigation->presentViewController(sheet, true, [&] { completed = true; });
    EXPECT_FALSE(completed) << "the completion runs later, on the run loop";
    EXPECT_EQ(sheet->presentingViewController(), navigation.get());
    EXPECT_FALSE(navigation->presentedViewController() == nullptr);
    page->dismissViewControllerAnimated(true, nullptr);  // Asked of the page: its container presented the sheet.
    EXPECT_FALSE(navigation->presentedViewController());
    EXPECT_EQ(sheet->presentingViewController(), nullptr);
    NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_TRUE(completed);

    navigation->presentViewController(sheet, true, nullptr);
    sheet->dismissViewControllerAnimated(true, nullptr);  // Asked of the sheet itself.
    EXPECT_FALSE(navigation->presentedViewController());
}

}  // namespace
