// View controllers: life-cycle calls on push and pop, nested navigation, and
// modal presentation and dismissal.
#include "platform/uikit/NSRunLoop.h"
#include "platform/uikit/UIViewController.h"

#include <gtest/gtest.h>

namespace {

using namespace uikit;

class Recorder : public UIViewController {
public:
    static std::shared_ptr<Recorder> create(std::string name, std::vector<std::string>& log) {
        return objc::make<Recorder>(std::move(name), log);
    }
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

protected:
    friend objc::Allocation;
    Recorder(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}

private:
    std::string name_;
    std::vector<std::string>& log_;
};

TEST(UIViewControllerTest, PushAndPopTellBothPagesInOrder) {
    std::vector<std::string> log;
    auto navigation = UINavigationController::create();
    auto first = Recorder::create("first", log), second = Recorder::create("second", log);
    navigation->pushViewController(first, false);
    navigation->pushViewController(second, true);
    EXPECT_EQ(navigation->popViewControllerAnimated(true), second);
    EXPECT_EQ(log, (std::vector<std::string>{"first.loadView", "first.viewDidLoad", "first.willAppear",
                                             "first.willDisappear", "second.loadView", "second.viewDidLoad",
                                             "second.willAppear", "second.willDisappear", "first.willAppear"}));
    EXPECT_FALSE(navigation->popViewControllerAnimated(true)) << "the root page stays";
    EXPECT_EQ(second->navigationController(), nullptr);
}

TEST(UIViewControllerTest, NestedNavigationControllersAreFoundLevelByLevel) {
    auto outer = UINavigationController::create();
    auto inner = UINavigationController::create();
    auto page = UIViewController::create();
    outer->pushViewController(inner, false);
    inner->pushViewController(page, false);
    EXPECT_EQ(page->navigationController(), inner.get());
    EXPECT_EQ(inner->navigationController(), outer.get());
    EXPECT_EQ(outer->navigationController(), nullptr);
}

TEST(UIViewControllerTest, DismissalReachesWhoeverPresented) {
    NSRunLoop::mainRunLoop().resetForTesting();
    auto navigation = UINavigationController::create();
    auto page = UIViewController::create();
    navigation->pushViewController(page, false);
    auto sheet = UIViewController::create();
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
