#include "platform/uikit/UIColor.h"

#include <cmath>
#include <cstdio>

namespace uikit {

std::shared_ptr<const UIColor> UIColor::colorWithRed(double red, double green, double blue, double alpha) {
    return std::make_shared<const UIColor>(red, green, blue, alpha);
}

std::shared_ptr<const UIColor> UIColor::colorWithWhite(double white, double alpha) {
    return std::make_shared<const UIColor>(white, white, white, alpha);
}

std::shared_ptr<const UIColor> UIColor::whiteColor() { return colorWithWhite(1, 1); }
std::shared_ptr<const UIColor> UIColor::blackColor() { return colorWithWhite(0, 1); }
std::shared_ptr<const UIColor> UIColor::grayColor() { return colorWithWhite(0.5, 1); }
std::shared_ptr<const UIColor> UIColor::darkGrayColor() { return colorWithWhite(1.0 / 3.0, 1); }
std::shared_ptr<const UIColor> UIColor::clearColor() { return colorWithWhite(0, 0); }

bool UIColor::isEqual(const UIColor& other) const {
    constexpr double tolerance = 1e-3;
    return std::fabs(red_ - other.red_) < tolerance && std::fabs(green_ - other.green_) < tolerance &&
           std::fabs(blue_ - other.blue_) < tolerance && std::fabs(alpha_ - other.alpha_) < tolerance;
}

std::string UIColor::description() const {
    char text[96];
    std::snprintf(text, sizeof text, "UIColor(%.3f %.3f %.3f %.3f)", red_, green_, blue_, alpha_);
    return text;
}

bool sameColor(const UIColorRef& a, const UIColorRef& b) {
    if (!a || !b) return !a && !b;
    return a->isEqual(*b);
}

}  // namespace uikit
