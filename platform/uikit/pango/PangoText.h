// The pango side of text: how a font name becomes a pango font description,
// and the per-thread context in which text is measured and drawn. The text
// engine measures with it and the renderer draws with it, so what is
// measured is what is drawn.
#pragma once

#include <pango/pango.h>

#include <memory>
#include <string_view>

namespace uikit::text {

struct GObjectUnref {
    void operator()(void* object) const;
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct FontDescriptionFree {
    void operator()(PangoFontDescription* description) const { pango_font_description_free(description); }
};
using FontDescriptionPtr = std::unique_ptr<PangoFontDescription, FontDescriptionFree>;

// "HelveticaNeue-Light", "Helvetica Light", ".SFUIText-Semibold": the family
// (every Helvetica and system name asks fontconfig for "Helvetica"), the
// weight and the slant named after the hyphen or as the last word, and the
// point size as an absolute size, so one pango unit is one point.
FontDescriptionPtr fontDescriptionFor(std::string_view fontName, double pointSize);

// This thread's pango context: the cairo font map at 72 units per inch with
// unhinted metrics and unrounded glyph positions, so that widths do not snap
// to whole units and a text measures the same at every drawing scale.
PangoContext* threadTextContext();

// A layout of `text` in the named font in `context`. With `wrapWidth` > 0 the
// text wraps at that width (by words, breaking a word only where it must).
GObjectPtr<PangoLayout> makeTextLayout(PangoContext* context, std::string_view fontName, double pointSize,
                                       std::string_view text, double wrapWidth);

}  // namespace uikit::text
