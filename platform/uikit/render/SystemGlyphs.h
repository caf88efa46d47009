// The platform's own bar glyphs, drawn here as template images so that a
// bar shows them in its tint colour: the compose, add and action symbols of
// system bar button items, and the back button's chevron.
#pragma once

#include "platform/uikit/UIImage.h"

#include <string>

namespace uikit::render {

// The glyph of a system bar button item at `scale` pixels a point, or null
// for an item the platform shows as a word.
UIImageRef barButtonSystemItemImage(long systemItem, double scale);
// The word of a system item shown as text ("Done", "Cancel", "Edit",
// "Save"); empty for glyph items and spaces.
std::string barButtonSystemItemTitle(long systemItem);
// The back button's chevron, 13 by 21 points.
UIImageRef backChevronImage(double scale);

}  // namespace uikit::render
