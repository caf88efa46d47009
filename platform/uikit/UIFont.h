// Fonts: a name and a point size, with the text metrics the layout needs.
#pragma once

#include "platform/uikit/UIGeometry.h"

#include <memory>
#include <string>
#include <string_view>

namespace uikit {

class UIFont {
public:
    UIFont(std::string fontName, double pointSize) : fontName_(std::move(fontName)), pointSize_(pointSize) {}

    // Absent for an empty name or a size that is not positive. Any other name
    // is accepted: the stand-in has no font files, only metrics.
    static std::shared_ptr<const UIFont> fontWithName(std::string_view fontName, double pointSize);
    static std::shared_ptr<const UIFont> systemFontOfSize(double pointSize);

    const std::string& fontName() const { return fontName_; }
    double pointSize() const { return pointSize_; }
    // Height of one line of text: ascender to descender plus leading.
    double lineHeight() const;
    // The size of one line of `text`, from per-character advance widths
    // modelled on a proportional sans-serif face, rounded up to whole points.
    CGSize sizeOfLine(std::string_view text) const;

private:
    std::string fontName_;
    double pointSize_;
};

using UIFontRef = std::shared_ptr<const UIFont>;

}  // namespace uikit
