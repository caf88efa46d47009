#include "platform/uikit/UIFont.h"

#include "platform/uikit/text/TextMetrics.h"

#include <cmath>

namespace uikit {

std::shared_ptr<const UIFont> UIFont::fontWithName(std::string_view fontName, double pointSize) {
    if (fontName.empty() || !(pointSize > 0)) return nullptr;
    return std::make_shared<const UIFont>(std::string(fontName), pointSize);
}

std::shared_ptr<const UIFont> UIFont::systemFontOfSize(double pointSize) {
    return fontWithName(".SFUIText", pointSize > 0 ? pointSize : 17);
}

double UIFont::lineHeight() const { return text::lineHeightOf(*this); }

CGSize UIFont::sizeOfLine(std::string_view text) const {
    if (text.empty()) return {0, 0};
    CGSize size = text::measureText(*this, text);
    return CGSize{std::ceil(size.width), std::ceil(size.height)};
}

CGSize UIFont::sizeOfWrappedText(std::string_view text, double width, long maximumLines) const {
    if (text.empty()) return {0, 0};
    CGSize size = text::measureText(*this, text, width, maximumLines);
    return CGSize{std::ceil(size.width), std::ceil(size.height)};
}

}  // namespace uikit
