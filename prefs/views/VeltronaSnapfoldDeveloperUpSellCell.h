// The row that advertises another product of the maker: a 29-point icon,
// the product's name beside it and its price at the right edge. Tapping it
// opens the product's package page through the "cydia://package/" scheme.
#pragma once

#include "prefs/views/MakersCell.h"

#include <optional>
#include <string>

class VeltronaSnapfoldDeveloperUpSellCell : public snapfold::prefs::MakersCell {
public:
    static objc::Class objcClass();

    static constexpr const char* kReuseIdentifier = "VeltronaSnapfoldDeveloperUpSellCell";
    // Relative on purpose: the icon is found only while the working directory
    // is the device's root, as the Settings app's is.
    static constexpr const char* kIconPathFormat = "Library/PreferenceBundles/Snapfold.bundle/otherTweaks/%@.png";
    static constexpr const char* kPackageURLFormat = "cydia://package/%@";

    using preferences::PSTableCell::initWithStyle;
    // Takes everything from the row ("productIcon", "productIdentifier",
    // "productName", "productPrice"); the style and reuse identifier given
    // are not used, and the row is not handed to the base class.
    std::shared_ptr<preferences::PSTableCell> initWithStyle(long style, std::string reuseIdentifier,
                                                            preferences::PSSpecifier* specifier) override;
    // `initWithProductName:andPrice:forImage:`: builds the icon and the two
    // labels, and answers the cell.
    std::shared_ptr<VeltronaSnapfoldDeveloperUpSellCell> initWithProductName(std::string name, std::string price,
                                                                             uikit::UIImageRef icon);

    // The icon path for an icon name: the format with the name in it.
    static std::string iconPathForName(std::string_view iconName);

    // `_productBundleIdentifier`: absent when the row names none.
    const std::optional<std::string>& productBundleIdentifier() const { return productBundleIdentifier_; }

    const uikit::UIImageViewRef& productIconImageView() const { return productIconImageView_; }
    void setProductIconImageView(uikit::UIImageViewRef view) { productIconImageView_ = std::move(view); }
    const uikit::UILabelRef& productNameLabel() const { return productNameLabel_; }
    void setProductNameLabel(uikit::UILabelRef label) { productNameLabel_ = std::move(label); }
    const uikit::UILabelRef& productPriceLabel() const { return productPriceLabel_; }
    void setProductPriceLabel(uikit::UILabelRef label) { productPriceLabel_ = std::move(label); }

protected:
    friend objc::Allocation;
    explicit VeltronaSnapfoldDeveloperUpSellCell(objc::Class isa = objcClass()) : snapfold::prefs::MakersCell(isa) {}

private:
    // Opens the product's package page.
    void openLink() override;

    std::optional<std::string> productBundleIdentifier_;
    uikit::UIImageViewRef productIconImageView_;
    uikit::UILabelRef productNameLabel_;
    uikit::UILabelRef productPriceLabel_;
};
