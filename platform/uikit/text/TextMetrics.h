// Text measured with real font metrics: the face that fontconfig chooses for
// a font name (the Helvetica family resolves to a face with Helvetica's
// metrics), shaped by pango at one unit per point. Labels take their
// intrinsic size from here and the renderer draws with the same layouts, so
// what is measured is what is drawn.
#pragma once

#include "platform/uikit/UIGeometry.h"

#include <string>
#include <string_view>

namespace uikit {

class UIFont;

namespace text {

// The size of `text` in `font`, in points, not rounded. With `wrapWidth` > 0
// the text wraps at that width and `maximumLines` (0: no limit) caps the
// number of lines counted; otherwise it is one line.
CGSize measureText(const UIFont& font, std::string_view text, double wrapWidth = 0, long maximumLines = 0);

// Ascender to descender of one line of the font, in points.
double lineHeightOf(const UIFont& font);

// The face fontconfig picked for the font, as "<family> <style>" (for
// instance "Liberation Sans Regular"), so dumps say which metrics they used.
std::string resolvedFaceName(const UIFont& font);

}  // namespace text
}  // namespace uikit
