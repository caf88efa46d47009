// View controllers: a lazily loaded view, a navigation item, the life-cycle
// calls that the container makes, and modal presentation.
#pragma once

#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UIView.h"

#include <functional>
#include <memory>
#include <string>

namespace uikit {

class UINavigationController;

class UIViewController : public objc::Object {
public:
    static objc::Class objcClass();
    // `[[UIViewController alloc] init]`.
    static std::shared_ptr<UIViewController> create();
    ~UIViewController() override;

    // The view, loaded on first use: `loadView`, then `viewDidLoad`.
    const UIViewRef& view();
    bool isViewLoaded() const { return static_cast<bool>(view_); }
    void setView(UIViewRef view) { view_ = std::move(view); }

    virtual void loadView();
    virtual void viewDidLoad() {}
    virtual void viewWillAppear(bool animated);
    virtual void viewDidAppear(bool animated);
    virtual void viewWillDisappear(bool animated);
    virtual void viewDidDisappear(bool animated);
    // True between viewWillAppear: and viewWillDisappear:.
    bool isAppearing() const { return appearing_; }

    const std::string& title() const { return title_; }
    // Sets the title and the navigation item's title.
    void setTitle(std::string title);
    UINavigationItem& navigationItem() { return navigationItem_; }

    // The nearest navigation controller among the containers of this one,
    // or nothing.
    UINavigationController* navigationController() const;
    UIViewController* parentViewController() const { return parent_; }

    // Modal presentation: the presenter holds the presented controller until
    // it is dismissed. `completion` runs on the main run loop afterwards.
    void presentViewController(const std::shared_ptr<UIViewController>& controller, bool animated,
                               std::function<void()> completion);
    // Dismisses what this controller presents or, when it presents nothing,
    // this controller from its presenter, or else asks its container.
    void dismissViewControllerAnimated(bool animated, std::function<void()> completion);
    const std::shared_ptr<UIViewController>& presentedViewController() const { return presented_; }
    UIViewController* presentingViewController() const { return presenting_; }

protected:
    friend objc::Allocation;
    friend class UINavigationController;
    explicit UIViewController(objc::Class isa = objcClass()) : objc::Object(isa) {}
    void setParentViewController(UIViewController* parent) { parent_ = parent; }

private:
    UIViewRef view_;
    std::string title_;
    UINavigationItem navigationItem_;
    UIViewController* parent_ = nullptr;  // The container owns this controller.
    std::shared_ptr<UIViewController> presented_;
    UIViewController* presenting_ = nullptr;  // The presenter owns this controller while it is shown.
    bool appearing_ = false;
};

using UIViewControllerRef = std::shared_ptr<UIViewController>;

class UINavigationController : public UIViewController {
public:
    static objc::Class objcClass();
    // `[[UINavigationController alloc] init]`.
    static std::shared_ptr<UINavigationController> create();
    ~UINavigationController() override;

    UINavigationBar& navigationBar() { return *navigationBar_; }
    const std::shared_ptr<UINavigationBar>& navigationBarRef() const { return navigationBar_; }

    // Pushing shows the controller (the one below is told it disappears, the
    // new one that it appears); popping the reverse. The stack owns them.
    void pushViewController(const UIViewControllerRef& controller, bool animated);
    UIViewControllerRef popViewControllerAnimated(bool animated);
    const std::vector<UIViewControllerRef>& viewControllers() const { return stack_; }
    UIViewController* topViewController() const { return stack_.empty() ? nullptr : stack_.back().get(); }

protected:
    friend objc::Allocation;
    explicit UINavigationController(objc::Class isa = objcClass());

private:
    std::shared_ptr<UINavigationBar> navigationBar_;
    std::vector<UIViewControllerRef> stack_;
};

}  // namespace uikit
