#include "prefs/views/VeltronaSnapfoldDeveloperUpSellCell.h"

#include "platform/foundation/Format.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSURL.h"
#include "platform/uikit/UIApplication.h"
#include "prefs/views/DeviceIdiomFontSize.h"
#include "prefs/views/ImageShadowStyle.h"

using uikit::NSLayoutConstraint;

objc::Class VeltronaSnapfoldDeveloperUpSellCell::objcClass() {
    static objc::Class cls = objc::objc_registerClass(
        "VeltronaSnapfoldDeveloperUpSellCell", preferences::PSTableCell::objcClass(),
        [](objc::Class isa) { return objc::make<VeltronaSnapfoldDeveloperUpSellCell>(isa); });
    return cls;
}

std::string VeltronaSnapfoldDeveloperUpSellCell::iconPathForName(std::string_view iconName) {
    return foundation::stringWithFormat(kIconPathFormat, iconName);
}

std::shared_ptr<preferences::PSTableCell> VeltronaSnapfoldDeveloperUpSellCell::initWithStyle(
    long, std::string, preferences::PSSpecifier* specifier) {
    auto property = [specifier](const char* key) {
        return specifier ? specifier->stringPropertyForKey(key) : std::nullopt;
    };
    // 1. The icon, by a path relative to the working directory; a row without
    //    an icon name, or a missing file, gives no image.
    uikit::UIImageRef icon;
    if (auto iconName = property("productIcon")) icon = uikit::UIImage::initWithContentsOfFile(iconPathForName(*iconName));
    // 2. The identifier is the cell's own copy.
    productBundleIdentifier_ = property("productIdentifier");
    // 3 and 4. The price is shown exactly as the row writes it.
    return initWithProductName(property("productName").value_or(""), property("productPrice").value_or(""),
                               std::move(icon));
}

uikit::UILabelRef VeltronaSnapfoldDeveloperUpSellCell::addLabel(std::string text, uikit::UIColorRef color,
                                                                double fontSize) {
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

std::shared_ptr<VeltronaSnapfoldDeveloperUpSellCell> VeltronaSnapfoldDeveloperUpSellCell::initWithProductName(
    std::string name, std::string price, uikit::UIImageRef icon) {
    uikit::UITableViewCell::initWithStyle(uikit::UITableViewCellStyleDefault, kReuseIdentifier);

    // The icon: placed by its frame alone, its shadow falling outside it.
    setProductIconImageView(uikit::UIImageView::create(std::move(icon)));
    productIconImageView_->setFrame(uikit::CGRectMake(10, 6, 29, 29));
    snapfold::prefs::applyImageShadowStyle(*productIconImageView_);
    addSubview(productIconImageView_);

    // The name, 20 points right of the icon; both labels sit 1 point below
    // the cell's middle.
    setProductNameLabel(addLabel(std::move(name), uikit::UIColor::darkGrayColor(),
                                 snapfold::prefs::deviceIdiomFontSize(30, 20)));
    addConstraint(NSLayoutConstraint::constraintWithItem(productNameLabel_.get(), uikit::NSLayoutAttributeLeft,
                                                         uikit::NSLayoutRelationEqual, productIconImageView_.get(),
                                                         uikit::NSLayoutAttributeRight, 1.0, 20));
    addConstraint(NSLayoutConstraint::constraintWithItem(productNameLabel_.get(), uikit::NSLayoutAttributeCenterY,
                                                         uikit::NSLayoutRelationEqual, this,
                                                         uikit::NSLayoutAttributeCenterY, 1.0, 1));

    // The price, ending 30 points before the cell's right edge.
    setProductPriceLabel(addLabel(std::move(price), uikit::UIColor::grayColor(), 15));
    addConstraint(NSLayoutConstraint::constraintWithItem(productPriceLabel_.get(), uikit::NSLayoutAttributeRight,
                                                         uikit::NSLayoutRelationEqual, this,
                                                         uikit::NSLayoutAttributeRight, 1.0, -30));
    addConstraint(NSLayoutConstraint::constraintWithItem(productPriceLabel_.get(), uikit::NSLayoutAttributeCenterY,
                                                         uikit::NSLayoutRelationEqual, this,
                                                         uikit::NSLayoutAttributeCenterY, 1.0, 1));
    return std::static_pointer_cast<VeltronaSnapfoldDeveloperUpSellCell>(retain());
}

void VeltronaSnapfoldDeveloperUpSellCell::setSelectionStyle(long) {
    preferences::PSTableCell::setSelectionStyle(uikit::UITableViewCellSelectionStyleBlue);
}

void VeltronaSnapfoldDeveloperUpSellCell::setSelected(bool selected, bool animated) {
    // 1. Deselecting is the base class's business.
    if (!selected) {
        preferences::PSTableCell::setSelected(false, animated);
        return;
    }
    // 2 and 3. A tap opens the package page, whether or not anything takes
    //    the scheme; the identifier goes in verbatim.
    if (!productBundleIdentifier_) {
        foundation::NSLog("VeltronaSnapfoldDeveloperUpSellCell: the row names no package; nothing is opened");
        return;
    }
    auto url = foundation::NSURL::URLWithString(foundation::stringWithFormat(kPackageURLFormat, *productBundleIdentifier_));
    uikit::UIApplication::sharedApplication().openURL(url);
}
