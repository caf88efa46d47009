#include "platform/uikit/render/ControlDrawing.h"

#include "platform/uikit/UIImageRenderingMode.h"
#include "platform/uikit/render/ImageSurface.h"
#include "platform/uikit/pango/PangoText.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace uikit::render {

namespace {

// Converted images, so that a page drawn again does not convert its logos
// again. An entry whose image is gone is converted anew.
struct ConvertedImage {
    std::weak_ptr<const imageio::CGImage> pixels;
    long orientation;
    SurfacePtr surface;
};

cairo_surface_t* cachedSurfaceFor(const UIImage& image) {
    thread_local std::map<const imageio::CGImage*, ConvertedImage> converted;
    const imageio::CGImage* key = image.CGImage().get();
    if (!key) return nullptr;
    auto found = converted.find(key);
    if (found != converted.end() && !found->second.pixels.expired() &&
        found->second.orientation == image.imageOrientation())
        return found->second.surface.get();
    if (converted.size() >= 64)
        std::erase_if(converted, [](const auto& entry) { return entry.second.pixels.expired(); });
    SurfacePtr surface = surfaceForImage(image);
    if (!surface) return nullptr;
    auto& entry = converted[key];
    entry = ConvertedImage{image.CGImage(), image.imageOrientation(), std::move(surface)};
    return entry.surface.get();
}

void roundedRectangle(cairo_t* cr, double x, double y, double width, double height, double radius) {
    radius = std::min({radius, width / 2, height / 2});
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + width - radius, y + radius, radius, -M_PI / 2, 0);
    cairo_arc(cr, x + width - radius, y + height - radius, radius, 0, M_PI / 2);
    cairo_arc(cr, x + radius, y + height - radius, radius, M_PI / 2, M_PI);
    cairo_arc(cr, x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

// Puts the image's pixels over the view's bounds in `cr`'s user space.
bool scaleToBounds(cairo_t* cr, const UIView& view, cairo_surface_t* surface) {
    CGRect bounds = view.bounds();
    int pixelsWide = cairo_image_surface_get_width(surface), pixelsHigh = cairo_image_surface_get_height(surface);
    if (bounds.size.width <= 0 || bounds.size.height <= 0 || pixelsWide <= 0 || pixelsHigh <= 0) return false;
    cairo_scale(cr, bounds.size.width / pixelsWide, bounds.size.height / pixelsHigh);
    return true;
}

}  // namespace

void setSourceColor(cairo_t* cr, const UIColor& color, double opacity) {
    cairo_set_source_rgba(cr, color.red(), color.green(), color.blue(), color.alpha() * opacity);
}

void drawLabelText(cairo_t* cr, const UILabel& label) {
    CGRect bounds = label.bounds();
    if (label.text().empty() || bounds.size.width <= 0 || bounds.size.height <= 0) return;
    UIFontRef font = label.font();
    bool severalLines = label.numberOfLines() != 1;
    auto layout = text::makeTextLayout(text::threadTextContext(), font->fontName(), font->pointSize(), label.text(),
                                       severalLines ? bounds.size.width : 0);
    // The width aligns the text; a single line too long for it ends in an
    // ellipsis, and a limited number of lines ends in one on the last line.
    pango_layout_set_width(layout.get(), static_cast<int>(bounds.size.width * PANGO_SCALE));
    if (!severalLines || label.numberOfLines() > 0) {
        pango_layout_set_ellipsize(layout.get(), PANGO_ELLIPSIZE_END);
        if (severalLines) pango_layout_set_height(layout.get(), -static_cast<int>(label.numberOfLines()));
    }
    switch (label.textAlignment()) {
    case NSTextAlignmentCenter: pango_layout_set_alignment(layout.get(), PANGO_ALIGN_CENTER); break;
    case NSTextAlignmentRight: pango_layout_set_alignment(layout.get(), PANGO_ALIGN_RIGHT); break;
    default: pango_layout_set_alignment(layout.get(), PANGO_ALIGN_LEFT); break;
    }
    PangoRectangle logical;
    pango_layout_get_extents(layout.get(), nullptr, &logical);
    double height = static_cast<double>(logical.height) / PANGO_SCALE;
    UIColorRef color = label.textColor() ? label.textColor() : UIColor::blackColor();
    setSourceColor(cr, *color);
    // A label centres its text vertically in its bounds.
    cairo_move_to(cr, 0, (bounds.size.height - height) / 2);
    pango_cairo_show_layout(cr, layout.get());
}

void drawImageContent(cairo_t* cr, const UIImageView& view, const UIColorRef& tint) {
    if (!view.image()) return;
    cairo_surface_t* surface = cachedSurfaceFor(*view.image());
    if (!surface) return;
    cairo_save(cr);
    if (scaleToBounds(cr, view, surface)) {
        if (renderingModeOf(*view.image()) == UIImageRenderingModeAlwaysTemplate) {
            setSourceColor(cr, tint ? *tint : *UIColor::blackColor());
            cairo_mask_surface(cr, surface, 0, 0);
        } else {
            cairo_set_source_surface(cr, surface, 0, 0);
            cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
            cairo_paint(cr);
        }
    }
    cairo_restore(cr);
}

void drawLayerShadow(cairo_t* cr, const UIView& view) {
    const CALayer& layer = view.layer();
    if (!layer.shadowColor || layer.shadowOpacity <= 0) return;
    cairo_surface_t* shape = nullptr;
    if (auto* imageView = dynamic_cast<const UIImageView*>(&view); imageView && imageView->image())
        shape = cachedSurfaceFor(*imageView->image());
    if (!shape && !view.backgroundColor()) return;
    // The radius softens the edge: the shape is laid down at nine places
    // around the shadow's own, each with a ninth of the opacity.
    double spread = std::max(layer.shadowRadius, 0.0) / 2;
    std::array<double, 3> steps{-spread, 0, spread};
    int samples = spread > 0 ? 9 : 1;
    for (double dy : steps) {
        for (double dx : steps) {
            if (samples == 1 && (dx != 0 || dy != 0)) continue;
            cairo_save(cr);
            cairo_translate(cr, layer.shadowOffset.width + dx, layer.shadowOffset.height + dy);
            setSourceColor(cr, *layer.shadowColor, std::min(layer.shadowOpacity, 1.0) / samples);
            if (shape) {
                if (scaleToBounds(cr, view, shape)) cairo_mask_surface(cr, shape, 0, 0);
            } else {
                CGRect bounds = view.bounds();
                cairo_rectangle(cr, 0, 0, bounds.size.width, bounds.size.height);
                cairo_fill(cr);
            }
            cairo_restore(cr);
        }
    }
}

void drawSwitch(cairo_t* cr, const UISwitch& control) {
    CGRect bounds = control.bounds();
    double width = bounds.size.width, height = bounds.size.height;
    if (width <= 0 || height <= 0) return;
    // The track: filled with the on-tint colour when on, an outlined white otherwise.
    roundedRectangle(cr, 0.75, 0.75, width - 1.5, height - 1.5, height / 2);
    if (control.isOn()) {
        UIColorRef onTint = control.onTintColor() ? control.onTintColor()
                                                  : UIColor::colorWithRed(0.298, 0.851, 0.392, 1);
        setSourceColor(cr, *onTint);
        cairo_fill_preserve(cr);
    } else {
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_fill_preserve(cr);
    }
    cairo_set_line_width(cr, 1.5);
    if (control.isOn()) cairo_new_path(cr);
    else {
        cairo_set_source_rgb(cr, 0.898, 0.898, 0.898);
        cairo_stroke(cr);
    }
    // The knob, with its soft shadow, at the end the switch is set to.
    double diameter = height - 4;
    double centreX = control.isOn() ? width - 2 - diameter / 2 : 2 + diameter / 2;
    cairo_arc(cr, centreX, height / 2 + 1.5, diameter / 2 + 0.5, 0, 2 * M_PI);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.15);
    cairo_fill(cr);
    cairo_arc(cr, centreX, height / 2, diameter / 2, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_fill(cr);
}

namespace {

// The checkmark of a list's chosen item, in the tint colour.
void drawCheckmark(cairo_t* cr, const UITableViewCell& cell, const UIColorRef& tint) {
    CGRect bounds = cell.bounds();
    double x = bounds.size.width - UITableViewCell::kMargin - UITableViewCell::kCheckmarkWidth;
    double middle = bounds.size.height / 2;
    cairo_move_to(cr, x + 1, middle);
    cairo_line_to(cr, x + 5, middle + 4.5);
    cairo_line_to(cr, x + UITableViewCell::kCheckmarkWidth - 1, middle - 5.5);
    setSourceColor(cr, tint ? *tint : *UIColor::blackColor());
    cairo_set_line_width(cr, 2);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
}

}  // namespace

void drawCellAccessory(cairo_t* cr, const UITableViewCell& cell, const UIColorRef& tint) {
    if (cell.accessoryView() && cell.accessoryView()->superview() == &cell) return;  // the view stands in its place
    if (cell.accessoryType() == UITableViewCellAccessoryCheckmark) return drawCheckmark(cr, cell, tint);
    if (cell.accessoryType() != UITableViewCellAccessoryDisclosureIndicator) return;
    CGRect bounds = cell.bounds();
    double x = bounds.size.width - UITableViewCell::kMargin - UITableViewCell::kDisclosureWidth;
    double middle = bounds.size.height / 2;
    cairo_move_to(cr, x + 1, middle - 6.5);
    cairo_line_to(cr, x + UITableViewCell::kDisclosureWidth - 1, middle);
    cairo_line_to(cr, x + 1, middle + 6.5);
    cairo_set_source_rgb(cr, 0.78, 0.78, 0.8);
    cairo_set_line_width(cr, 2);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    cairo_stroke(cr);
}

}  // namespace uikit::render
