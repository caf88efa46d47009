#include "platform/uikit/render/SystemGlyphs.h"

#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UIImageRenderingMode.h"
#include "platform/uikit/render/CairoHandles.h"
#include "platform/uikit/render/ImageSurface.h"

#include <cmath>
#include <functional>

namespace uikit::render {

namespace {

// Draws a glyph of `width` by `height` points in black on transparency and
// hands it back as a template image.
UIImageRef glyph(double width, double height, double scale, const std::function<void(cairo_t*)>& draw) {
    if (!(scale > 0)) scale = 1;
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(std::ceil(width * scale)),
                                                  static_cast<int>(std::ceil(height * scale))));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    {
        ContextPtr cr(cairo_create(surface.get()));
        cairo_scale(cr.get(), scale, scale);
        cairo_set_source_rgb(cr.get(), 0, 0, 0);
        cairo_set_line_cap(cr.get(), CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr.get(), CAIRO_LINE_JOIN_ROUND);
        draw(cr.get());
    }
    return imageWithRenderingMode(imageFromSurface(surface.get(), scale), UIImageRenderingModeAlwaysTemplate);
}

void compose(cairo_t* cr) {
    // A sheet open at its top right corner, and a pencil across it.
    cairo_set_line_width(cr, 1.5);
    cairo_move_to(cr, 11, 4.5);
    cairo_line_to(cr, 3, 4.5);
    cairo_line_to(cr, 3, 20);
    cairo_line_to(cr, 18.5, 20);
    cairo_line_to(cr, 18.5, 12);
    cairo_stroke(cr);
    cairo_move_to(cr, 9.5, 14.5);
    cairo_line_to(cr, 20, 4);
    cairo_stroke(cr);
    cairo_move_to(cr, 8.5, 15.5);
    cairo_line_to(cr, 9, 13.5);
    cairo_line_to(cr, 10.5, 15);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void add(cairo_t* cr) {
    cairo_set_line_width(cr, 1.8);
    cairo_move_to(cr, 11, 2);
    cairo_line_to(cr, 11, 20);
    cairo_move_to(cr, 2, 11);
    cairo_line_to(cr, 20, 11);
    cairo_stroke(cr);
}

void action(cairo_t* cr) {
    // A box open at the top with an arrow rising out of it.
    cairo_set_line_width(cr, 1.5);
    cairo_move_to(cr, 7.5, 8.5);
    cairo_line_to(cr, 4, 8.5);
    cairo_line_to(cr, 4, 21);
    cairo_line_to(cr, 18, 21);
    cairo_line_to(cr, 18, 8.5);
    cairo_line_to(cr, 14.5, 8.5);
    cairo_move_to(cr, 11, 14);
    cairo_line_to(cr, 11, 1.5);
    cairo_move_to(cr, 7.5, 5);
    cairo_line_to(cr, 11, 1.5);
    cairo_line_to(cr, 14.5, 5);
    cairo_stroke(cr);
}

}  // namespace

UIImageRef barButtonSystemItemImage(long systemItem, double scale) {
    switch (systemItem) {
    case UIBarButtonSystemItemCompose: return glyph(22, 22, scale, compose);
    case UIBarButtonSystemItemAdd: return glyph(22, 22, scale, add);
    case UIBarButtonSystemItemAction: return glyph(22, 22, scale, action);
    default: return nullptr;
    }
}

std::string barButtonSystemItemTitle(long systemItem) {
    switch (systemItem) {
    case UIBarButtonSystemItemDone: return "Done";
    case UIBarButtonSystemItemCancel: return "Cancel";
    case UIBarButtonSystemItemEdit: return "Edit";
    case UIBarButtonSystemItemSave: return "Save";
    case UIBarButtonSystemItemReply: return "Reply";
    default: return {};
    }
}

UIImageRef backChevronImage(double scale) {
    return glyph(13, 21, scale, [](cairo_t* cr) {
        cairo_set_line_width(cr, 3);
        cairo_move_to(cr, 11, 1.5);
        cairo_line_to(cr, 2, 10.5);
        cairo_line_to(cr, 11, 19.5);
        cairo_stroke(cr);
    });
}

}  // namespace uikit::render
