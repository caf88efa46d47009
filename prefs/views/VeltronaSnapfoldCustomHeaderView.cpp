#include "prefs/views/VeltronaSnapfoldCustomHeaderView.h"

#include "prefs/views/DeviceIdiomFontSize.h"

#include <cstdlib>

objc::Class VeltronaSnapfoldCustomHeaderView::objcClass() {
    static objc::Class cls = objc::objc_registerClass(
        "VeltronaSnapfoldCustomHeaderView", uikit::UIView::objcClass(),
        [](objc::Class isa) { return objc::make<VeltronaSnapfoldCustomHeaderView>(isa); });
    return cls;
}

std::shared_ptr<VeltronaSnapfoldCustomHeaderView> VeltronaSnapfoldCustomHeaderView::create() {
    return std::static_pointer_cast<VeltronaSnapfoldCustomHeaderView>(
        objc::make<VeltronaSnapfoldCustomHeaderView>()->init());
}

std::vector<std::string> VeltronaSnapfoldCustomHeaderView::randomTexts() const {
    return {"Thank you for the support.",
            "Enjoy!",
            "Some Other Random Text",
            "You Can Include However Many You Want",
            "Follow me on Twitter.",
            "Something should go here right?",
            "Hey",
            "Zarvelle!",
            "Shake it off!"};
}

void VeltronaSnapfoldCustomHeaderView::placeLabel(const std::shared_ptr<uikit::UILabel>& label, uikit::UIView* above,
                                                  uikit::NSLayoutAttribute aboveAttribute, double multiplier,
                                                  double spacing) {
    using uikit::NSLayoutConstraint;
    label->setBackgroundColor(uikit::UIColor::clearColor());
    label->setTextColor(uikit::UIColor::grayColor());
    label->setTextAlignment(uikit::NSTextAlignmentCenter);
    addSubview(label);
    label->setTranslatesAutoresizingMaskIntoConstraints(false);
    addConstraint(NSLayoutConstraint::constraintWithItem(label.get(), uikit::NSLayoutAttributeTop,
                                                         uikit::NSLayoutRelationEqual, above, aboveAttribute,
                                                         multiplier, spacing));
    addConstraint(NSLayoutConstraint::constraintWithItem(label.get(), uikit::NSLayoutAttributeCenterX,
                                                         uikit::NSLayoutRelationEqual, this,
                                                         uikit::NSLayoutAttributeCenterX, 1.0, 0));
}

std::shared_ptr<uikit::UIView> VeltronaSnapfoldCustomHeaderView::init() {
    auto made = uikit::UIView::initWithFrame(uikit::CGRectZero);
    using snapfold::prefs::deviceIdiomFontSize;

    // 1. The product name, its top a fifth of the view's height down.
    auto header = uikit::UILabel::create(uikit::CGRectZero);
    setHeaderLabel(header.get());
    header->setNumberOfLines(1);
    header->setFont(uikit::UIFont::fontWithName(kFontName, deviceIdiomFontSize(44, 36)));
    header->setText(kProductName);
    placeLabel(header, this, uikit::NSLayoutAttributeBottom, 0.2, 0);

    // 2. The tagline, 5 points below.
    auto subHeader = uikit::UILabel::create(uikit::CGRectZero);
    setSubHeaderLabel(subHeader.get());
    subHeader->setNumberOfLines(1);
    subHeader->setFont(uikit::UIFont::fontWithName(kFontName, deviceIdiomFontSize(22, 17)));
    subHeader->setText(kTagline);
    placeLabel(subHeader, header.get(), uikit::NSLayoutAttributeBottom, 1.0, 5);

    // 3. One of the nine texts, uniformly and without modulo bias, 5 points
    //    below; 15 points on every device.
    auto random = uikit::UILabel::create(uikit::CGRectZero);
    setRandomLabel(random.get());
    random->setNumberOfLines(1);
    random->setFont(uikit::UIFont::fontWithName(kFontName, 15));
    std::vector<std::string> texts = randomTexts();
    random->setText(texts[arc4random_uniform(static_cast<std::uint32_t>(texts.size()))]);
    placeLabel(random, subHeader.get(), uikit::NSLayoutAttributeBottom, 1.0, 5);
    return made;
}
