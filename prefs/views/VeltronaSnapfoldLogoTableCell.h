// The product's logo, centred horizontally; the first page shows it as the
// header of its fifth section.
#pragma once

#include "platform/preferences/PSTableCell.h"
#include "platform/uikit/UIImageView.h"

class VeltronaSnapfoldLogoTableCell : public preferences::PSTableCell {
public:
    static objc::Class objcClass();
    // `[[VeltronaSnapfoldLogoTableCell alloc] init]`.
    static std::shared_ptr<VeltronaSnapfoldLogoTableCell> create();

    static constexpr const char* kLogoPath = "/Library/PreferenceBundles/Snapfold.bundle/footerLogo.png";

    // Builds the logo view on a zero frame and answers the cell.
    std::shared_ptr<uikit::UIView> init() override;

    const uikit::UIImageViewRef& logoImageView() const { return logoImageView_; }
    void setLogoImageView(uikit::UIImageViewRef view) { logoImageView_ = std::move(view); }

protected:
    friend objc::Allocation;
    explicit VeltronaSnapfoldLogoTableCell(objc::Class isa = objcClass()) : preferences::PSTableCell(isa) {}

private:
    uikit::UIImageViewRef logoImageView_;
};
