// What a view shows beyond its background, by the kind of view: the pieces
// drawViewTree puts together. Each draws in the view's own coordinates.
#pragma once

#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UISwitch.h"
#include "platform/uikit/UITableViewCell.h"

#include <cairo.h>

namespace uikit::render {

void setSourceColor(cairo_t* cr, const UIColor& color, double opacity = 1);

// The text in the label's font and colour, aligned in the label's bounds and
// centred vertically: one line cut short with an ellipsis when it does not
// fit, or wrapped at the label's width when it has several lines.
void drawLabelText(cairo_t* cr, const UILabel& label);

// The image scaled to the view's bounds; a template image is filled with
// `tint` through the image's alpha.
void drawImageContent(cairo_t* cr, const UIImageView& view, const UIColorRef& tint);

// The shadow a layer casts: the image's alpha for an image view, else the
// view's bounds when it has a background, offset and softened by the radius.
void drawLayerShadow(cairo_t* cr, const UIView& view);

// A switch's track (the on-tint colour when on) and knob.
void drawSwitch(cairo_t* cr, const UISwitch& control);

// The cell's standard accessory at the trailing edge: the disclosure
// indicator, or the checkmark in `tint`.
void drawCellAccessory(cairo_t* cr, const UITableViewCell& cell, const UIColorRef& tint);

}  // namespace uikit::render
