// Drawing a view tree as the phone shows it, from what the views record:
// each view's background, alpha, clipping and layer shadow, then what it
// shows (a label's text in its font and colour, an image view's image, a
// switch, a cell's disclosure indicator), then its subviews in order. Any
// view class is drawn this way; nothing is drawn for a class by its name.
#pragma once

#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIView.h"
#include "platform/uikit/render/CairoHandles.h"

namespace uikit::render {

// The system's default tint: the blue of buttons and links.
UIColorRef defaultTintColor();
// The colour a view draws templates in: its own tint, else its nearest
// ancestor's, else the default.
UIColorRef effectiveTintColor(const UIView& view);

// Draws `view` and its subtree into `cr`, whose user space is in points with
// the view's top-left corner at the origin (the view's own frame origin is
// not applied). Hidden views and views at alpha 0 draw nothing.
void drawViewTree(cairo_t* cr, const UIView& view);

// The view's bounds as a bitmap of `scale` pixels a point (at least one
// pixel each way), over `background`, transparent when absent. Null when
// cairo cannot make a surface of that size.
SurfacePtr renderViewTree(const UIView& view, double scale, const UIColorRef& background = nullptr);

}  // namespace uikit::render
