#include "platform/uikit/UILabel.h"

#include <cstdio>

namespace uikit {

objc::Class UILabel::objcClass() {
    static objc::Class cls = objc::objc_registerClass("UILabel", UIView::objcClass(),
                                                      [](objc::Class isa) { return objc::make<UILabel>(isa); });
    return cls;
}

std::shared_ptr<UILabel> UILabel::create(CGRect frame) {
    auto label = objc::make<UILabel>();
    label->initWithFrame(frame);
    return label;
}

UIFontRef UILabel::font() const { return font_ ? font_ : UIFont::systemFontOfSize(17); }

CGSize UILabel::intrinsicContentSize() const {
    if (text_.empty()) return {0, 0};
    if (numberOfLines_ != 1 && preferredMaxLayoutWidth_ > 0)
        return font()->sizeOfWrappedText(text_, preferredMaxLayoutWidth_, numberOfLines_);
    return font()->sizeOfLine(text_);
}

std::string UILabel::dumpDetails() const {
    UIFontRef shown = font();
    char size[32];
    std::snprintf(size, sizeof size, "%g", shown->pointSize());
    std::string details = "text=\"" + text_ + "\" font=\"" + shown->fontName() + "\" " + size + "pt";
    details += " color=" + (textColor_ ? textColor_->description() : std::string("none"));
    details += " alignment=" + std::to_string(textAlignment_) + " lines=" + std::to_string(numberOfLines_);
    // One line wider than the label is drawn cut short, ending in an ellipsis.
    double width = frame().size.width;
    if (numberOfLines_ == 1 && width > 0 && intrinsicContentSize().width > width) details += " ends-in-ellipsis";
    return details;
}

}  // namespace uikit
