#include "platform/uikit/NSLayoutConstraint.h"

#include "platform/uikit/UIView.h"

namespace uikit {

namespace {
std::weak_ptr<UIView> weakView(UIView* view) {
    if (!view) return {};
    return std::static_pointer_cast<UIView>(view->retain());
}
}  // namespace

std::shared_ptr<NSLayoutConstraint> NSLayoutConstraint::constraintWithItem(UIView* item, NSLayoutAttribute attribute,
                                                                           NSLayoutRelation relation, UIView* toItem,
                                                                           NSLayoutAttribute toAttribute,
                                                                           double multiplier, double constant) {
    auto constraint = std::make_shared<NSLayoutConstraint>();
    constraint->firstItem_ = weakView(item);
    constraint->firstAttribute_ = attribute;
    constraint->relation_ = relation;
    constraint->secondItem_ = weakView(toItem);
    constraint->secondAttribute_ = toAttribute;
    constraint->multiplier_ = multiplier;
    constraint->constant_ = constant;
    return constraint;
}

const char* NSLayoutConstraint::attributeName(NSLayoutAttribute attribute) {
    switch (attribute) {
    case NSLayoutAttributeLeft: return "left";
    case NSLayoutAttributeRight: return "right";
    case NSLayoutAttributeTop: return "top";
    case NSLayoutAttributeBottom: return "bottom";
    case NSLayoutAttributeLeading: return "leading";
    case NSLayoutAttributeTrailing: return "trailing";
    case NSLayoutAttributeWidth: return "width";
    case NSLayoutAttributeHeight: return "height";
    case NSLayoutAttributeCenterX: return "centerX";
    case NSLayoutAttributeCenterY: return "centerY";
    case NSLayoutAttributeNotAnAttribute: return "none";
    }
    return "?";
}

}  // namespace uikit
