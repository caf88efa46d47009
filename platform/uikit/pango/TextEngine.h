// What the text engine library offers UIKit's text metrics. The engine
// measures with pango, and pango brings cairo, fontconfig, freetype,
// harfbuzz and GLib with it: about thirty shared libraries that the loader
// would otherwise map and bind at the start of every program that links
// UIKit. UIKit loads the engine when text is first measured instead, so a
// program that never measures text (the messaging app saving a picture)
// starts in half the time. Plain types only: UIKit's headers stay out of it.
#pragma once

#include <string>
#include <string_view>

namespace uikit::text {

struct TextExtent {
    double width = 0;
    double height = 0;
};

struct TextEngine {
    // See measureText and resolvedFaceName in platform/uikit/text/TextMetrics.h;
    // a font is its name and point size.
    TextExtent (*measureText)(std::string_view fontName, double pointSize, std::string_view text, double wrapWidth,
                              long maximumLines);
    std::string (*resolvedFaceName)(std::string_view fontName, double pointSize);
};

// The engine library's entry point, found by name once the library is loaded.
inline constexpr char kTextEngineEntry[] = "snapfoldTextEngine";
using TextEngineEntry = const TextEngine*();

}  // namespace uikit::text

extern "C" const uikit::text::TextEngine* snapfoldTextEngine();
