#include "platform/uikit/UIView.h"

#include "platform/uikit/NSRunLoop.h"

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

// The value of an attribute of a rectangle in the holder's coordinates.
double attributeValue(const CGRect& rect, NSLayoutAttribute attribute) {
    switch (attribute) {
    case NSLayoutAttributeLeft:
    case NSLayoutAttributeLeading: return rect.minX();
    case NSLayoutAttributeRight:
    case NSLayoutAttributeTrailing: return rect.maxX();
    case NSLayoutAttributeTop: return rect.minY();
    case NSLayoutAttributeBottom: return rect.maxY();
    case NSLayoutAttributeWidth: return rect.size.width;
    case NSLayoutAttributeHeight: return rect.size.height;
    case NSLayoutAttributeCenterX: return rect.midX();
    case NSLayoutAttributeCenterY: return rect.midY();
    case NSLayoutAttributeNotAnAttribute: return 0;
    }
    return 0;
}

// Moves (or, for width and height, resizes) a rectangle so that the attribute
// takes the given value.
void placeAttribute(CGRect& rect, NSLayoutAttribute attribute, double value) {
    switch (attribute) {
    case NSLayoutAttributeLeft:
    case NSLayoutAttributeLeading: rect.origin.x = value; break;
    case NSLayoutAttributeRight:
    case NSLayoutAttributeTrailing: rect.origin.x = value - rect.size.width; break;
    case NSLayoutAttributeTop: rect.origin.y = value; break;
    case NSLayoutAttributeBottom: rect.origin.y = value - rect.size.height; break;
    case NSLayoutAttributeWidth: rect.size.width = std::max(value, 0.0); break;
    case NSLayoutAttributeHeight: rect.size.height = std::max(value, 0.0); break;
    case NSLayoutAttributeCenterX: rect.origin.x = value - rect.size.width / 2; break;
    case NSLayoutAttributeCenterY: rect.origin.y = value - rect.size.height / 2; break;
    case NSLayoutAttributeNotAnAttribute: break;
    }
}

}  // namespace

objc::Class UIView::objcClass() {
    static objc::Class cls = objc::objc_registerClass(
        "UIView", objc::rootClass(), [](objc::Class isa) { return std::make_shared<UIView>(isa); });
    return cls;
}

std::shared_ptr<UIView> UIView::create(CGRect frame) { return std::make_shared<UIView>()->initWithFrame(frame); }

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
    superview_ = nullptr;
    std::erase_if(parent->subviews_, [&](const auto& subview) { return subview.get() == this; });
}

void UIView::addConstraint(NSLayoutConstraintRef constraint) {
    if (constraint) constraints_.push_back(std::move(constraint));
}

void UIView::layoutIfNeeded() {
    // 1. Views that opted out of autoresizing take their intrinsic size.
    for (auto& subview : subviews_) {
        if (subview->translatesAutoresizingMask_) continue;
        CGSize intrinsic = subview->intrinsicContentSize();
        if (intrinsic.width != UIViewNoIntrinsicMetric) subview->frame_.size.width = intrinsic.width;
        if (intrinsic.height != UIViewNoIntrinsicMetric) subview->frame_.size.height = intrinsic.height;
    }
    // 2. Each constraint places its item from the other side's current value.
    //    The constraints of this system form chains (a label below a label
    //    below the view's edge), so repeating the pass until nothing moves
    //    settles them; the pass count bounds a cyclic set.
    auto rectOf = [this](const UIView* item) { return item == this ? bounds() : item->frame_; };
    for (int pass = 0; pass < 16; ++pass) {
        bool moved = false;
        for (const auto& constraint : constraints_) {
            if (constraint->relation() != NSLayoutRelationEqual) continue;
            auto first = constraint->firstItem();
            auto second = constraint->secondItem();
            if (!first) continue;
            double source = second ? attributeValue(rectOf(second.get()), constraint->secondAttribute()) : 0;
            double target = source * constraint->multiplier() + constraint->constant();
            UIView* placed = first.get();
            NSLayoutAttribute attribute = constraint->firstAttribute();
            if (placed == this) {
                // The holder's own edges are fixed; solve for the other item.
                if (!second || second.get() == this || constraint->multiplier() == 0) continue;
                placed = second.get();
                attribute = constraint->secondAttribute();
                target = (attributeValue(bounds(), constraint->firstAttribute()) - constraint->constant()) /
                         constraint->multiplier();
            }
            if (placed->superview_ != this) continue;  // Only direct subviews are placed by this view.
            CGRect before = placed->frame_;
            placeAttribute(placed->frame_, attribute, target);
            if (std::fabs(before.origin.x - placed->frame_.origin.x) > 1e-9 ||
                std::fabs(before.origin.y - placed->frame_.origin.y) > 1e-9 || before.size != placed->frame_.size)
                moved = true;
        }
        if (!moved) break;
    }
    // 3. Then every subview lays out its own subtree.
    for (auto& subview : subviews_) subview->layoutIfNeeded();
}

void UIView::animateWithDuration(double duration, const std::function<void()>& animations,
                                 std::function<void(bool)> completion) {
    AnimationCapture capture{std::max(duration, 0.0), {}};
    AnimationCapture* outer = currentAnimation;
    currentAnimation = &capture;
    if (animations) animations();
    currentAnimation = outer;
    if (completion) {
        NSRunLoop::mainRunLoop().schedule(capture.duration,
                                          [completion = std::move(completion)] { completion(true); });
    }
}

std::string UIView::dumpDetails() const { return {}; }

namespace {

std::string number(double value) {
    char text[32];
    if (std::fabs(value - std::round(value)) < 1e-9)
        std::snprintf(text, sizeof text, "%.0f", value);
    else
        std::snprintf(text, sizeof text, "%.4g", value);
    return text;
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
    out << indent << view.isa()->name() << " frame=(" << number(f.origin.x) << " " << number(f.origin.y) << "; "
        << number(f.size.width) << " x " << number(f.size.height) << ")";
    if (view.alpha() != 1) out << " alpha=" << number(view.alpha());
    if (view.clipsToBounds()) out << " clips";
    if (!view.translatesAutoresizingMaskIntoConstraints()) out << " auto-layout";
    if (view.layer().shadowColor)
        out << " shadow=" << view.layer().shadowColor->description() << " offset=(" << number(view.layer().shadowOffset.width)
            << " " << number(view.layer().shadowOffset.height) << ") opacity=" << number(view.layer().shadowOpacity)
            << " radius=" << number(view.layer().shadowRadius);
    out << "\n";
    std::string details = view.dumpDetails();
    if (!details.empty()) out << indent << "  " << details << "\n";
    std::vector<const UIView*> order;
    for (const auto& subview : view.subviews()) order.push_back(subview.get());
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
    const char* relation = constraint.relation() == NSLayoutRelationEqual ? "=="
                           : constraint.relation() == NSLayoutRelationLessThanOrEqual ? "<="
                                                                                       : ">=";
    std::string text = itemName(first.get(), holder, order) + "." +
                       NSLayoutConstraint::attributeName(constraint.firstAttribute()) + " " + relation + " ";
    text += itemName(second.get(), holder, order) + "." + NSLayoutConstraint::attributeName(constraint.secondAttribute());
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
