#include "prefs/views/MakersCell.h"

#include "prefs/views/ImageShadowStyle.h"

namespace snapfold::prefs {

void MakersCell::setSelectionStyle(long) {
    preferences::PSTableCell::setSelectionStyle(uikit::UITableViewCellSelectionStyleBlue);
}

void MakersCell::setSelected(bool selected, bool animated) {
    if (!selected) {
        preferences::PSTableCell::setSelected(false, animated);
        return;
    }
    openLink();
}

std::optional<std::string> MakersCell::stringProperty(preferences::PSSpecifier* specifier, const char* key) {
    return specifier ? specifier->stringPropertyForKey(key) : std::nullopt;
}

uikit::UIImageViewRef MakersCell::addImageView(uikit::UIImageRef image, uikit::CGRect frame) {
    auto view = uikit::UIImageView::create(std::move(image));
    view->setFrame(frame);
    applyImageShadowStyle(*view);
    addSubview(view);
    return view;
}

uikit::UILabelRef MakersCell::addLabel(std::string text, uikit::UIColorRef color, double fontSize) {
    auto label = uikit::UILabel::create(uikit::CGRectZero);
    label->setText(std::move(text));
    label->setTextColor(std::move(color));
    label->setBackgroundColor(uikit::UIColor::clearColor());
    label->setFont(uikit::UIFont::fontWithName(kFontName, fontSize));
    label->setTextAlignment(uikit::NSTextAlignmentCenter);
    addSubview(label);
    label->setTranslatesAutoresizingMaskIntoConstraints(false);
    return label;
}

}  // namespace snapfold::prefs
