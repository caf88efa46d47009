// Auto layout constraints: "item.attribute = toItem.attribute * multiplier +
// constant", kept as data and resolved by the owning view's layout pass.
#pragma once

#include <memory>
#include <string>

namespace uikit {

class UIView;

// The platform's attribute numbers.
enum NSLayoutAttribute : long {
    NSLayoutAttributeNotAnAttribute = 0,
    NSLayoutAttributeLeft = 1,
    NSLayoutAttributeRight = 2,
    NSLayoutAttributeTop = 3,
    NSLayoutAttributeBottom = 4,
    NSLayoutAttributeLeading = 5,
    NSLayoutAttributeTrailing = 6,
    NSLayoutAttributeWidth = 7,
    NSLayoutAttributeHeight = 8,
    NSLayoutAttributeCenterX = 9,
    NSLayoutAttributeCenterY = 10,
};

enum NSLayoutRelation : long {
    NSLayoutRelationLessThanOrEqual = -1,
    NSLayoutRelationEqual = 0,
    NSLayoutRelationGreaterThanOrEqual = 1,
};

class NSLayoutConstraint {
public:
    // Items are held weakly: the views belong to their superview's subview
    // list, and a constraint must not keep a removed view alive.
    static std::shared_ptr<NSLayoutConstraint> constraintWithItem(UIView* item, NSLayoutAttribute attribute,
                                                                  NSLayoutRelation relation, UIView* toItem,
                                                                  NSLayoutAttribute toAttribute, double multiplier,
                                                                  double constant);

    std::shared_ptr<UIView> firstItem() const { return firstItem_.lock(); }
    NSLayoutAttribute firstAttribute() const { return firstAttribute_; }
    NSLayoutRelation relation() const { return relation_; }
    std::shared_ptr<UIView> secondItem() const { return secondItem_.lock(); }
    NSLayoutAttribute secondAttribute() const { return secondAttribute_; }
    double multiplier() const { return multiplier_; }
    double constant() const { return constant_; }

    static const char* attributeName(NSLayoutAttribute attribute);

private:
    std::weak_ptr<UIView> firstItem_;
    NSLayoutAttribute firstAttribute_ = NSLayoutAttributeNotAnAttribute;
    NSLayoutRelation relation_ = NSLayoutRelationEqual;
    std::weak_ptr<UIView> secondItem_;
    NSLayoutAttribute secondAttribute_ = NSLayoutAttributeNotAnAttribute;
    double multiplier_ = 1;
    double constant_ = 0;
};

using NSLayoutConstraintRef = std::shared_ptr<NSLayoutConstraint>;

}  // namespace uikit
