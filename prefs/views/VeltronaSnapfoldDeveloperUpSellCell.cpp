#include "prefs/views/VeltronaSnapfoldDeveloperUpSellCell.h"

#include "platform/foundation/Format.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSURL.h"
#include "platform/uikit/UIApplication.h"
#include "prefs/views/DeviceIdiomFontSize.h"

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
    auto property = [specifier](const char* key) { return stringProperty(specifier, key); };
    // The icon, by a path relative to the working directory; a row without
    // an icon name, or a missing file, gives no image.
    uikit::UIImageRef icon;
    if (auto iconName = property("productIcon"))
        icon = uikit::UIImage::initWithContentsOfFile(iconPathForName(*iconName));
    // The identifier is the cell's own copy: the cell keeps no reference to
    // its row.
    productBundleIdentifier_ = property("productIdentifier");
    // The price is text, shown exactly as the row writes it: no currency is
    // worked out here.
    return initWithProductName(property("productName").value_or(""), property("productPrice").value_or(""),
                               std::move(icon));
}

std::shared_ptr<VeltronaSnapfoldDeveloperUpSellCell> VeltronaSnapfoldDeveloperUpSellCell::initWithProductName(
    std::string name, std::string price, uikit::UIImageRef icon) {
    uikit::UITableViewCell::initWithStyle(uikit::UITableViewCellStyleDefault, kReuseIdentifier);

    setProductIconImageView(addImageView(std::move(icon), uikit::CGRectMake(10, 6, 29, 29)));

    // The name, 20 points right of the icon; both labels sit 1 point below
    // the cell's middle.
    setProductNameLabel(
        addLabel(std::move(name), uikit::UIColor::darkGrayColor(), snapfold::prefs::deviceIdiomFontSize(30, 20)));
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

void VeltronaSnapfoldDeveloperUpSellCell::openLink() {
    // Opened whether or not anything takes the scheme; the identifier goes
    // in verbatim.
    if (!productBundleIdentifier_) {
        foundation::NSLog("VeltronaSnapfoldDeveloperUpSellCell: the row names no package; nothing is opened");
        return;
    }
    auto url = foundation::NSURL::URLWithString(
        foundation::stringWithFormat(kPackageURLFormat, *productBundleIdentifier_));
    uikit::UIApplication::sharedApplication().openURL(url);
}
