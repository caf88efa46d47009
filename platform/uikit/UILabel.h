// Labels: text with a font, colour, alignment and line count. Their
// intrinsic size comes from the font's metrics, so auto layout can place them.
#pragma once

#include "platform/uikit/UIFont.h"
#include "platform/uikit/UIView.h"

#include <string>

namespace uikit {

enum NSTextAlignment : long {
    NSTextAlignmentLeft = 0,
    NSTextAlignmentCenter = 1,
    NSTextAlignmentRight = 2,
};

class UILabel : public UIView {
public:
    static objc::Class objcClass();
    static std::shared_ptr<UILabel> create(CGRect frame = CGRectZero);

    const std::string& text() const { return text_; }
    void setText(std::string text) { text_ = std::move(text); }
    // A label without a font of its own draws in the system font of 17 points.
    UIFontRef font() const;
    void setFont(UIFontRef font) { font_ = std::move(font); }
    UIColorRef textColor() const { return textColor_; }
    void setTextColor(UIColorRef color) { textColor_ = std::move(color); }
    long textAlignment() const { return textAlignment_; }
    void setTextAlignment(long alignment) { textAlignment_ = alignment; }
    long numberOfLines() const { return numberOfLines_; }
    void setNumberOfLines(long lines) { numberOfLines_ = lines; }
    // The width at which a label of several lines (numberOfLines 0 or more
    // than 1) wraps its text when it sizes itself; 0 keeps it on one line.
    double preferredMaxLayoutWidth() const { return preferredMaxLayoutWidth_; }
    void setPreferredMaxLayoutWidth(double width) { preferredMaxLayoutWidth_ = width; }

    // The text in the label's font, rounded up to whole points: one line, or
    // wrapped at preferredMaxLayoutWidth for a label of several lines. An
    // empty label asks for no size.
    CGSize intrinsicContentSize() const override;
    // Text, font, colour, alignment and lines; "ends-in-ellipsis" for one
    // line that is wider than the label, which is drawn cut short.
    std::string dumpDetails() const override;

protected:
    friend objc::Allocation;
    explicit UILabel(objc::Class isa = objcClass()) : UIView(isa) {}

private:
    std::string text_;
    UIFontRef font_;
    UIColorRef textColor_ = UIColor::blackColor();
    long textAlignment_ = NSTextAlignmentLeft;
    long numberOfLines_ = 1;
    double preferredMaxLayoutWidth_ = 0;
};

using UILabelRef = std::shared_ptr<UILabel>;

}  // namespace uikit
