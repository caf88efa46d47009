#include "platform/uikit/UIViewController.h"

#include "platform/uikit/NSRunLoop.h"

namespace uikit {

objc::Class UIViewController::objcClass() {
    static objc::Class cls = objc::objc_registerClass(
        "UIViewController", objc::rootClass(), [](objc::Class isa) { return objc::make<UIViewController>(isa); });
    return cls;
}

std::shared_ptr<UIViewController> UIViewController::create() { return objc::make<UIViewController>(); }

UIViewController::~UIViewController() {
    if (presented_) presented_->presenting_ = nullptr;
}

const UIViewRef& UIViewController::view() {
    if (!view_) {
        loadView();
        if (!view_) view_ = UIView::create();
        viewDidLoad();
    }
    return view_;
}

void UIViewController::loadView() { view_ = UIView::create(CGRectMake(0, 0, 320, 568)); }

void UIViewController::viewWillAppear(bool) { appearing_ = true; }
void UIViewController::viewDidAppear(bool) {}
void UIViewController::viewWillDisappear(bool) { appearing_ = false; }
void UIViewController::viewDidDisappear(bool) {}

void UIViewController::setTitle(std::string title) {
    navigationItem_.setTitle(title);
    title_ = std::move(title);
}

UINavigationController* UIViewController::navigationController() const {
    for (UIViewController* container = parent_; container; container = container->parent_) {
        if (auto* navigation = dynamic_cast<UINavigationController*>(container)) return navigation;
    }
    return nullptr;
}

namespace {
void runLater(std::function<void()> completion) {
    if (completion) NSRunLoop::mainRunLoop().schedule(0, std::move(completion));
}
}  // namespace

void UIViewController::presentViewController(const std::shared_ptr<UIViewController>& controller, bool animated,
                                             std::function<void()> completion) {
    if (!controller || presented_) return;  // The platform refuses a second presentation.
    presented_ = controller;
    controller->presenting_ = this;
    controller->viewWillAppear(animated);
    controller->viewDidAppear(animated);
    runLater(std::move(completion));
}

void UIViewController::dismissViewControllerAnimated(bool animated, std::function<void()> completion) {
    if (!presented_) {
        // As on the platform, the request goes to whoever presented this
        // controller, else up to its container (a page inside a navigation
        // controller dismisses what the navigation controller presents).
        if (presenting_) {
            presenting_->dismissViewControllerAnimated(animated, std::move(completion));
        } else if (parent_) {
            parent_->dismissViewControllerAnimated(animated, std::move(completion));
        }
        return;
    }
    auto dismissed = std::move(presented_);  // Kept alive until its life-cycle calls are done.
    presented_.reset();
    dismissed->viewWillDisappear(animated);
    dismissed->presenting_ = nullptr;
    dismissed->viewDidDisappear(animated);
    runLater(std::move(completion));
}

objc::Class UINavigationController::objcClass() {
    static objc::Class cls = objc::objc_registerClass(
        "UINavigationController", UIViewController::objcClass(),
        [](objc::Class isa) { return objc::make<UINavigationController>(isa); });
    return cls;
}

std::shared_ptr<UINavigationController> UINavigationController::create() {
    return objc::make<UINavigationController>();
}

UINavigationController::UINavigationController(objc::Class isa)
    : UIViewController(isa), navigationBar_(UINavigationBar::create()) {
    navigationBar_->setFrame(CGRectMake(0, 20, 320, 44));
}

UINavigationController::~UINavigationController() {
    for (auto& controller : stack_) controller->setParentViewController(nullptr);
}

void UINavigationController::pushViewController(const UIViewControllerRef& controller, bool animated) {
    if (!controller) return;
    UIViewController* below = topViewController();
    if (below) below->viewWillDisappear(animated);
    stack_.push_back(controller);
    controller->setParentViewController(this);
    controller->view();
    controller->viewWillAppear(animated);
    if (below) below->viewDidDisappear(animated);
    controller->viewDidAppear(animated);
}

UIViewControllerRef UINavigationController::popViewControllerAnimated(bool animated) {
    if (stack_.size() < 2) return nullptr;  // The root controller stays.
    UIViewControllerRef leaving = stack_.back();
    UIViewController* below = stack_[stack_.size() - 2].get();
    leaving->viewWillDisappear(animated);
    below->viewWillAppear(animated);
    stack_.pop_back();
    leaving->viewDidDisappear(animated);
    below->viewDidAppear(animated);
    leaving->setParentViewController(nullptr);
    return leaving;
}

}  // namespace uikit
