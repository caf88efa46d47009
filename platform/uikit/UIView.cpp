#include "platform/uikit/UIView.h"

#include "platform/foundation/NSLog.h"
#include "platform/uikit/NSRunLoop.h"
#include "platform/uikit/layout/ConstraintLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace uikit {

namespace {

// The animation block being run by animateWithDuration on this thread, if any.
struct AnimationCapture {
    double duration;
    std::vector<std::weak_ptr<UIView>> animated;
};
thread_local AnimationCapture* currentAnimation = nullptr;

}  // namespace

objc::Class UIView::objcClass() {
    static objc::Class cls = objc::objc_registerClass("UIView", objc::rootClass(),
                                                      [](objc::Class isa) { return objc::make<UIView>(isa); });
    return cls;
}

std::shared_ptr<UIView> UIView::create(CGRect frame) { return objc::make<UIView>()->initWithFrame(frame); }

UIView::~UIView() {
    for (auto& subview : subviews_) subview->superview_ = nullptr;
}

std::shared_ptr<UIView> UIView::initWithFrame(CGRect frame) {
    frame_ = frame;
    return std::static_pointer_cast<UIView>(retain());
}

void UIView::setAlpha(double alpha) {
    alpha = std::clamp(alpha, 0.0, 1.0);
    if (currentAnimation) {
        alphaAnimation_ = AlphaAnimation{presentationAlpha(), NSRunLoop::mainRunLoop().currentTime(),
                                         currentAnimation->duration};
        currentAnimation->animated.push_back(std::static_pointer_cast<UIView>(retain()));
    } else {
        alphaAnimation_.reset();
    }
    alpha_ = alpha;
}

double UIView::presentationAlpha() const {
    if (!alphaAnimation_) return alpha_;
    const AlphaAnimation& animation = *alphaAnimation_;
    double elapsed = NSRunLoop::mainRunLoop().currentTime() - animation.start;
    if (animation.duration <= 0 || elapsed >= animation.duration) return alpha_;
    double progress = std::max(elapsed, 0.0) / animation.duration;
    return animation.from + (alpha_ - animation.from) * progress;
}

void UIView::addSubview(const std::shared_ptr<UIView>& view) {
    if (!view || view.get() == this) return;
    if (view->superview_ == this) {
        // Adding a subview again brings it to the front.
        std::erase(subviews_, view);
        subviews_.push_back(view);
        return;
    }
    auto keep = view;  // The old superview may hold the last reference.
    view->removeFromSuperview();
    view->superview_ = this;
    subviews_.push_back(view);
}

void UIView::removeFromSuperview() {
    UIView* parent = superview_;
    if (!parent) return;
    // As on the platform, constraints that name the view go with it.
    for (UIView* holder = parent; holder; holder = holder->superview_) {
        std::erase_if(holder->constraints_, [&](const NSLayoutConstraintRef& constraint) {
            return constraint->firstItem().get() == this || constraint->secondItem().get() == this;
        });
    }
    superview_ = nullptr;
    std::erase_if(parent->subviews_, [&](const auto& subview) { return subview.get() == this; });
}

void UIView::addConstraint(NSLayoutConstraintRef constraint) {
    if (constraint) constraints_.push_back(std::move(constraint));
}

void UIView::layoutIfNeeded() {
    LayoutReport report = layoutViewTree(*this);
    for (const auto& error : report.errors()) foundation::NSLog("UIKit: layout %@", error.message());
}

void UIView::animateWithDuration(double duration, const std::function<void()>& animations,
                                 std::function<void(bool)> completion) {
    AnimationCapture capture{std::max(duration, 0.0), {}};
    AnimationCapture* outer = currentAnimation;
    currentAnimation = &capture;
    if (animations) animations();
    currentAnimation = outer;
    if (completion) {
        NSRunLoop::mainRunLoop().schedule(capture.duration, [completion = std::move(completion)] { completion(true); });
    }
}

std::string UIView::dumpDetails() const { return {}; }

namespace {

// Whole points as integers, anything else with up to three decimals.
std::string number(double value) {
    char text[48];
    if (std::fabs(value - std::round(value)) < 1e-9) {
        std::snprintf(text, sizeof text, "%.0f", value == 0 ? 0.0 : value);
        return text;
    }
    std::snprintf(text, sizeof text, "%.3f", value);
    std::string trimmed = text;
    while (trimmed.back() == '0') trimmed.pop_back();
    return trimmed;
}

std::string itemName(const UIView* item, const UIView& holder, const std::vector<const UIView*>& order) {
    if (!item) return "nil";
    if (item == &holder) return "self";
    auto found = std::find(order.begin(), order.end(), item);
    std::string index = found == order.end() ? "?" : std::to_string(found - order.begin());
    return "subview[" + index + "]";
}

void dumpInto(std::ostringstream& out, const UIView& view, int depth) {
    std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    CGRect f = view.frame();
    out << indent << view.isa()->name();
    if (!view.accessibilityIdentifier().empty()) out << " \"" << view.accessibilityIdentifier() << "\"";
    out << " frame=(" << number(f.origin.x) << " " << number(f.origin.y) << "; " << number(f.size.width) << " x "
        << number(f.size.height) << ")";
    if (view.alpha() != 1) out << " alpha=" << number(view.alpha());
    if (view.isHidden()) out << " hidden";
    if (view.clipsToBounds()) out << " clips";
    if (!view.translatesAutoresizingMaskIntoConstraints()) out << " auto-layout";
    if (view.backgroundColor()) out << " background=" << view.backgroundColor()->description();
    if (view.tintColor()) out << " tint=" << view.tintColor()->description();
    if (view.layer().shadowColor)
        out << " shadow=" << view.layer().shadowColor->description() << " offset=("
            << number(view.layer().shadowOffset.width) << " " << number(view.layer().shadowOffset.height)
            << ") opacity=" << number(view.layer().shadowOpacity) << " radius=" << number(view.layer().shadowRadius);
    out << "\n";
    std::string details = view.dumpDetails();
    if (!details.empty()) out << indent << "  " << details << "\n";
    for (const auto& constraint : view.constraints()) {
        out << indent << "  constraint: " << describeConstraint(*constraint, view) << "\n";
    }
    for (const auto& subview : view.subviews()) dumpInto(out, *subview, depth + 1);
}

}  // namespace

std::string describeConstraint(const NSLayoutConstraint& constraint, const UIView& holder) {
    std::vector<const UIView*> order;
    for (const auto& subview : holder.subviews()) order.push_back(subview.get());
    auto first = constraint.firstItem();
    auto second = constraint.secondItem();
    const char* relation = constraint.relation() == NSLayoutRelationEqual             ? "=="
                           : constraint.relation() == NSLayoutRelationLessThanOrEqual ? "<="
                                                                                      : ">=";
    std::string text = itemName(first.get(), holder, order) + "." +
                       NSLayoutConstraint::attributeName(constraint.firstAttribute()) + " " + relation + " ";
    if (!second && constraint.secondAttribute() == NSLayoutAttributeNotAnAttribute)
        return text + number(constraint.constant());  // a constant: "subview[0].width == 80"
    text += itemName(second.get(), holder, order) + "." +
            NSLayoutConstraint::attributeName(constraint.secondAttribute());
    text += " * " + number(constraint.multiplier());
    text += (constraint.constant() < 0 ? " - " : " + ") + number(std::fabs(constraint.constant()));
    return text;
}

std::string dumpViewTree(const UIView& view) {
    std::ostringstream out;
    dumpInto(out, view, 0);
    return out.str();
}

}  // namespace uikit
