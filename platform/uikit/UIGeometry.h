// Points and rectangles, as the platform's CGPoint and CGRect. CGSize comes
// with the image header, where the image's size first needed it.
#pragma once

#include "platform/uikit/UIImage.h"

namespace uikit {

struct CGPoint {
    double x = 0;
    double y = 0;
    bool operator==(const CGPoint&) const = default;
};

struct CGRect {
    CGPoint origin;
    CGSize size;
    bool operator==(const CGRect&) const = default;

    double minX() const { return origin.x; }
    double maxX() const { return origin.x + size.width; }
    double midX() const { return origin.x + size.width / 2; }
    double minY() const { return origin.y; }
    double maxY() const { return origin.y + size.height; }
    double midY() const { return origin.y + size.height / 2; }
};

inline constexpr CGRect CGRectZero{};

inline CGRect CGRectMake(double x, double y, double width, double height) { return CGRect{{x, y}, {width, height}}; }

// "No intrinsic size" along an axis, as UIViewNoIntrinsicMetric.
inline constexpr double UIViewNoIntrinsicMetric = -1;

}  // namespace uikit
