#include "prefs/views/VeltronaSnapfoldLogoTableCell.h"

#include "prefs/views/ImageShadowStyle.h"

objc::Class VeltronaSnapfoldLogoTableCell::objcClass() {
    static objc::Class cls = objc::objc_registerClass(
        "VeltronaSnapfoldLogoTableCell", preferences::PSTableCell::objcClass(),
        [](objc::Class isa) { return objc::make<VeltronaSnapfoldLogoTableCell>(isa); });
    return cls;
}

std::shared_ptr<VeltronaSnapfoldLogoTableCell> VeltronaSnapfoldLogoTableCell::create() {
    return std::static_pointer_cast<VeltronaSnapfoldLogoTableCell>(objc::make<VeltronaSnapfoldLogoTableCell>()->init());
}

std::shared_ptr<uikit::UIView> VeltronaSnapfoldLogoTableCell::init() {
    auto made = preferences::PSTableCell::initWithFrame(uikit::CGRectZero);
    // The image, or nothing when the file is missing; the view is made either
    // way.
    setLogoImageView(uikit::UIImageView::create(uikit::UIImage::initWithContentsOfFile(kLogoPath)));
    // Frame, shadow, clipping off: the logo is taller than its header.
    logoImageView_->setFrame(uikit::CGRectMake(0, 0, 80, 80));
    snapfold::prefs::applyImageShadowStyle(*logoImageView_);
    // Shown in the cell itself, centred horizontally.
    addSubview(logoImageView_);
    logoImageView_->setTranslatesAutoresizingMaskIntoConstraints(false);
    addConstraint(uikit::NSLayoutConstraint::constraintWithItem(logoImageView_.get(), uikit::NSLayoutAttributeCenterX,
                                                                uikit::NSLayoutRelationEqual, this,
                                                                uikit::NSLayoutAttributeCenterX, 1.0, 0));
    return made;
}
