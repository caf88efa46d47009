#include "platform/uikit/UIFont.h"

#include <cmath>

namespace uikit {

namespace {

// Advance width of a character in ems. The classes follow a typical
// proportional sans-serif face closely enough for layout and rendering; a
// character outside ASCII counts as an average lower-case letter.
double advanceInEms(unsigned char c) {
    if (c == ' ') return 0.28;
    if (c == 'i' || c == 'l' || c == 'j' || c == '.' || c == ',' || c == '\'' || c == '!' || c == '|' || c == ':' ||
        c == ';')
        return 0.24;
    if (c == 'f' || c == 't' || c == 'r' || c == 'I' || c == '(' || c == ')' || c == '-') return 0.33;
    if (c == 'm' || c == 'w') return 0.83;
    if (c == 'M' || c == 'W') return 0.88;
    if (c >= 'A' && c <= 'Z') return 0.65;
    if (c >= '0' && c <= '9') return 0.56;
    return 0.52;
}

}  // namespace

std::shared_ptr<const UIFont> UIFont::fontWithName(std::string_view fontName, double pointSize) {
    if (fontName.empty() || !(pointSize > 0)) return nullptr;
    return std::make_shared<const UIFont>(std::string(fontName), pointSize);
}

std::shared_ptr<const UIFont> UIFont::systemFontOfSize(double pointSize) {
    return fontWithName(".SFUIText", pointSize > 0 ? pointSize : 17);
}

double UIFont::lineHeight() const { return std::ceil(pointSize_ * 1.2); }

CGSize UIFont::sizeOfLine(std::string_view text) const {
    double ems = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if ((c & 0xC0) == 0x80) continue;  // UTF-8 continuation bytes add no advance of their own.
        ems += advanceInEms(c);
    }
    return CGSize{std::ceil(ems * pointSize_), text.empty() ? 0 : lineHeight()};
}

}  // namespace uikit
