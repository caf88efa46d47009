// Colours: immutable shared values of red, green, blue and alpha, each 0 to 1.
#pragma once

#include <memory>
#include <string>

namespace uikit {

class UIColor {
public:
    UIColor(double red, double green, double blue, double alpha)
        : red_(red), green_(green), blue_(blue), alpha_(alpha) {}

    static std::shared_ptr<const UIColor> colorWithRed(double red, double green, double blue, double alpha);
    static std::shared_ptr<const UIColor> colorWithWhite(double white, double alpha);
    static std::shared_ptr<const UIColor> whiteColor();
    static std::shared_ptr<const UIColor> blackColor();
    static std::shared_ptr<const UIColor> grayColor();      // white 0.5
    static std::shared_ptr<const UIColor> darkGrayColor();  // white 1/3
    static std::shared_ptr<const UIColor> clearColor();     // white 0, alpha 0

    double red() const { return red_; }
    double green() const { return green_; }
    double blue() const { return blue_; }
    double alpha() const { return alpha_; }

    // Equal within 1/1000 per component: colours made from fractions such as
    // 22/255 compare equal to their rounded decimal forms.
    bool isEqual(const UIColor& other) const;
    // "UIColor(r g b a)" with three decimals, for dumps and logs.
    std::string description() const;

private:
    double red_, green_, blue_, alpha_;
};

using UIColorRef = std::shared_ptr<const UIColor>;

// Two optional colours are equal when both are absent or both are equal colours.
bool sameColor(const UIColorRef& a, const UIColorRef& b);

}  // namespace uikit
