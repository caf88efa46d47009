// Fonts: a name and a point size, with the text metrics the layout needs,
// taken from the face that fontconfig picks for the name (see text/TextMetrics.h).
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
    // is accepted: a name without an installed face measures in the face
    // fontconfig substitutes for it.
    static std::shared_ptr<const UIFont> fontWithName(std::string_view fontName, double pointSize);
    static std::shared_ptr<const UIFont> systemFontOfSize(double pointSize);

    const std::string& fontName() const { return fontName_; }
    double pointSize() const { return pointSize_; }
    // Height of one line of text, ascender to descender, in points (not rounded).
    double lineHeight() const;
    // The size of one line of `text` in this font, rounded up to whole
    // points as a label's intrinsic size is.
    CGSize sizeOfLine(std::string_view text) const;
    // The size of `text` wrapped at `width`, at most `maximumLines` lines
    // (0: no limit), rounded up to whole points.
    CGSize sizeOfWrappedText(std::string_view text, double width, long maximumLines) const;

private:
    std::string fontName_;
    double pointSize_;
};

using UIFontRef = std::shared_ptr<const UIFont>;

}  // namespace uikit
