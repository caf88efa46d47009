#include "platform/uikit/render/ViewRenderer.h"

#include "platform/uikit/render/ControlDrawing.h"

#include <algorithm>
#include <cmath>

namespace uikit::render {

namespace {

void drawContent(cairo_t* cr, const UIView& view) {
    if (auto* label = dynamic_cast<const UILabel*>(&view)) {
        drawLabelText(cr, *label);
    } else if (auto* imageView = dynamic_cast<const UIImageView*>(&view)) {
        drawImageContent(cr, *imageView, effectiveTintColor(view));
    } else if (auto* control = dynamic_cast<const UISwitch*>(&view)) {
        drawSwitch(cr, *control);
    } else if (auto* cell = dynamic_cast<const UITableViewCell*>(&view)) {
        drawCellAccessory(cr, *cell, effectiveTintColor(view));
    }
}

// The view in its own coordinates: `cr` has its origin at the view's corner.
void drawInOwnSpace(cairo_t* cr, const UIView& view) {
    double alpha = view.presentationAlpha();
    if (view.isHidden() || alpha <= 0) return;
    CGRect bounds = view.bounds();
    cairo_save(cr);
    // A translucent view is drawn whole, then laid down at its alpha, so
    // that its subviews do not show through each other.
    bool group = alpha < 1;
    if (group) cairo_push_group(cr);
    drawLayerShadow(cr, view);
    if (const UIColorRef& background = view.backgroundColor(); background && background->alpha() > 0) {
        setSourceColor(cr, *background);
        cairo_rectangle(cr, 0, 0, bounds.size.width, bounds.size.height);
        cairo_fill(cr);
    }
    drawContent(cr, view);
    if (view.clipsToBounds()) {
        cairo_rectangle(cr, 0, 0, bounds.size.width, bounds.size.height);
        cairo_clip(cr);
    }
    for (const auto& subview : view.subviews()) {
        cairo_save(cr);
        cairo_translate(cr, subview->frame().origin.x, subview->frame().origin.y);
        drawInOwnSpace(cr, *subview);
        cairo_restore(cr);
    }
    if (group) {
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, alpha);
    }
    cairo_restore(cr);
}

}  // namespace

UIColorRef defaultTintColor() { return UIColor::colorWithRed(0, 122.0 / 255, 1, 1); }

UIColorRef effectiveTintColor(const UIView& view) {
    for (const UIView* v = &view; v; v = v->superview())
        if (v->tintColor()) return v->tintColor();
    return defaultTintColor();
}

void drawViewTree(cairo_t* cr, const UIView& view) { drawInOwnSpace(cr, view); }

SurfacePtr renderViewTree(const UIView& view, double scale, const UIColorRef& background) {
    if (!(scale > 0)) scale = 1;
    CGSize size = view.bounds().size;
    int width = std::max(1, static_cast<int>(std::ceil(size.width * scale - 1e-9)));
    int height = std::max(1, static_cast<int>(std::ceil(size.height * scale - 1e-9)));
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    ContextPtr cr(cairo_create(surface.get()));
    cairo_scale(cr.get(), scale, scale);
    if (background) {
        setSourceColor(cr.get(), *background);
        cairo_paint(cr.get());
    }
    drawViewTree(cr.get(), view);
    cairo_surface_flush(surface.get());
    return surface;
}

}  // namespace uikit::render
