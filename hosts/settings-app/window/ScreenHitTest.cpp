#include "hosts/settings-app/window/ScreenHitTest.h"

#include "platform/preferences/PSTableCell.h"

namespace settingsapp {

namespace {

// The bar's buttons answer taps over a wider area than their glyphs, as the
// phone's do: the left and right quarters of the bar, at least 60 points.
constexpr double kBarButtonReach = 60;

bool contains(const uikit::CGRect& frame, uikit::CGPoint point) {
    return point.x >= frame.origin.x && point.y >= frame.origin.y && point.x < frame.origin.x + frame.size.width &&
           point.y < frame.origin.y + frame.size.height;
}

// The deepest view under `point`, which is in `view`'s superview's coordinates.
const uikit::UIView* deepestView(const uikit::UIView& view, uikit::CGPoint point) {
    if (view.isHidden() || view.alpha() <= 0 || !contains(view.frame(), point)) return nullptr;
    uikit::CGPoint inside{point.x - view.frame().origin.x, point.y - view.frame().origin.y};
    // Later subviews are drawn over earlier ones, so they are asked first.
    const auto& subviews = view.subviews();
    for (auto it = subviews.rbegin(); it != subviews.rend(); ++it)
        if (const auto* hit = deepestView(**it, inside)) return hit;
    return &view;
}

uikit::CGRect frameInRoot(const uikit::UIView& view) {
    uikit::CGRect frame = view.frame();
    for (const auto* above = view.superview(); above && above->superview(); above = above->superview()) {
        frame.origin.x += above->frame().origin.x;
        frame.origin.y += above->frame().origin.y;
    }
    return frame;
}

}  // namespace

ScreenTarget hitTestScreen(const uikit::UIView& root, uikit::CGPoint point) {
    // The root's own frame origin is not applied: the point is in its bounds.
    uikit::CGPoint inRootParent{point.x + root.frame().origin.x, point.y + root.frame().origin.y};
    for (const auto* view = deepestView(root, inRootParent); view; view = view->superview()) {
        if (const auto* cell = dynamic_cast<const preferences::PSTableCell*>(view)) {
            auto row = cell->specifier();
            if (!row) return {};
            return ScreenTarget{ScreenTarget::Kind::Row, row, frameInRoot(*cell)};
        }
        if (view->accessibilityIdentifier() == "navigation bar") {
            double reach = std::max(kBarButtonReach, view->frame().size.width / 4);
            if (point.x < reach) return ScreenTarget{ScreenTarget::Kind::BackButton, nullptr, {}};
            if (point.x >= view->frame().size.width - reach)
                return ScreenTarget{ScreenTarget::Kind::RightButton, nullptr, {}};
            return {};
        }
    }
    return {};
}

}  // namespace settingsapp
