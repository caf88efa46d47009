// The row that presents one maker: a 70-point portrait on the left and three
// lines beside it (the developer name, the person's own name, the job).
// Tapping it opens the person's Twitter profile, in the first client app the
// device has, else on the mobile web site.
#pragma once

#include "prefs/views/MakersCell.h"

#include <optional>
#include <string>

class VeltronaSnapfoldDeveloperTableCell : public snapfold::prefs::MakersCell {
public:
    static objc::Class objcClass();

    static constexpr const char* kReuseIdentifier = "VeltronaSnapfoldDeveloperTableCell";
    // URL-legal characters that a user name must not carry into the URL as is.
    static constexpr const char* kLegalCharactersToEscape = ":/=,!$& '()*+;[]@#?";

    using preferences::PSTableCell::initWithStyle;
    // Takes everything from the row ("devImage", "twitterUsername",
    // "devName", "realName", "job"); the style and reuse identifier given
    // are not used, and the row is not handed to the base class.
    std::shared_ptr<preferences::PSTableCell> initWithStyle(long style, std::string reuseIdentifier,
                                                            preferences::PSSpecifier* specifier) override;
    // `initWithDevName:realName:jobSubtitle:devImage:`: builds the portrait
    // and the three lines, and answers the cell.
    std::shared_ptr<VeltronaSnapfoldDeveloperTableCell> initWithDevName(std::string devName, std::string realName,
                                                                        std::string jobSubtitle,
                                                                        uikit::UIImageRef devImage);

    // `_user`: the Twitter user name, absent when the row names none.
    const std::optional<std::string>& user() const { return user_; }

    const uikit::UIImageViewRef& devImageView() const { return devImageView_; }
    void setDevImageView(uikit::UIImageViewRef view) { devImageView_ = std::move(view); }
    const uikit::UILabelRef& devNameLabel() const { return devNameLabel_; }
    void setDevNameLabel(uikit::UILabelRef label) { devNameLabel_ = std::move(label); }
    const uikit::UILabelRef& realNameLabel() const { return realNameLabel_; }
    void setRealNameLabel(uikit::UILabelRef label) { realNameLabel_ = std::move(label); }
    const uikit::UILabelRef& jobLabel() const { return jobLabel_; }
    void setJobLabel(uikit::UILabelRef label) { jobLabel_ = std::move(label); }

protected:
    friend objc::Allocation;
    explicit VeltronaSnapfoldDeveloperTableCell(objc::Class isa = objcClass()) : snapfold::prefs::MakersCell(isa) {}

private:
    // Opens the person's profile.
    void openLink() override;
    // A grey centred line in the cell, 30 points right of the portrait, its
    // vertical place given by `attribute` = `toItem`.`toAttribute` + constant.
    uikit::UILabelRef addLine(std::string text, uikit::UIColorRef color, double fontSize,
                              uikit::NSLayoutAttribute attribute, uikit::UIView* toItem,
                              uikit::NSLayoutAttribute toAttribute, double constant);

    std::optional<std::string> user_;
    uikit::UIImageViewRef devImageView_;
    uikit::UILabelRef devNameLabel_;
    uikit::UILabelRef realNameLabel_;
    uikit::UILabelRef jobLabel_;
};
