#include "prefs/views/VeltronaSnapfoldDeveloperTableCell.h"

#include "platform/foundation/NSLog.h"
#include "platform/foundation/PercentEscapes.h"
#include "platform/uikit/UIApplication.h"
#include "prefs/VeltronaSnapfoldLocalizer.h"
#include "prefs/views/DeviceIdiomFontSize.h"
#include "prefs/views/ProfileClients.h"

using uikit::NSLayoutConstraint;

objc::Class VeltronaSnapfoldDeveloperTableCell::objcClass() {
    static objc::Class cls = objc::objc_registerClass(
        "VeltronaSnapfoldDeveloperTableCell", preferences::PSTableCell::objcClass(),
        [](objc::Class isa) { return objc::make<VeltronaSnapfoldDeveloperTableCell>(isa); });
    return cls;
}

std::shared_ptr<preferences::PSTableCell> VeltronaSnapfoldDeveloperTableCell::initWithStyle(
    long, std::string, preferences::PSSpecifier* specifier) {
    auto property = [specifier](const char* key) { return stringProperty(specifier, key); };
    // The portrait, "<devImage>.png" in the settings bundle; a row without a
    // name, or a missing file, gives no image.
    uikit::UIImageRef portrait;
    auto bundle = VeltronaSnapfoldLocalizer::sharedLocalizer()->localizationBundle();
    if (auto name = property("devImage"); bundle && name)
        if (auto path = bundle->pathForResource(*name, "png")) portrait = uikit::UIImage::initWithContentsOfFile(*path);
    // The user name is the cell's own copy: the cell keeps no reference to
    // its row.
    user_ = property("twitterUsername");
    // A line the row leaves out is shown empty; the cell is made all the same.
    return initWithDevName(property("devName").value_or(""), property("realName").value_or(""),
                           property("job").value_or(""), std::move(portrait));
}

uikit::UILabelRef VeltronaSnapfoldDeveloperTableCell::addLine(std::string text, uikit::UIColorRef color,
                                                              double fontSize, uikit::NSLayoutAttribute attribute,
                                                              uikit::UIView* toItem,
                                                              uikit::NSLayoutAttribute toAttribute, double constant) {
    auto label = addLabel(std::move(text), std::move(color), fontSize);
    addConstraint(NSLayoutConstraint::constraintWithItem(label.get(), uikit::NSLayoutAttributeLeft,
                                                         uikit::NSLayoutRelationEqual, devImageView_.get(),
                                                         uikit::NSLayoutAttributeRight, 1.0, 30));
    addConstraint(NSLayoutConstraint::constraintWithItem(label.get(), attribute, uikit::NSLayoutRelationEqual, toItem,
                                                         toAttribute, 1.0, constant));
    return label;
}

std::shared_ptr<VeltronaSnapfoldDeveloperTableCell> VeltronaSnapfoldDeveloperTableCell::initWithDevName(
    std::string devName, std::string realName, std::string jobSubtitle, uikit::UIImageRef devImage) {
    uikit::UITableViewCell::initWithStyle(uikit::UITableViewCellStyleDefault, kReuseIdentifier);
    using snapfold::prefs::deviceIdiomFontSize;

    setDevImageView(addImageView(std::move(devImage), uikit::CGRectMake(10, 15, 70, 70)));

    // The three lines, stacked from 20 points above the cell's middle.
    setDevNameLabel(addLine(std::move(devName), uikit::UIColor::darkGrayColor(), deviceIdiomFontSize(30, 20),
                            uikit::NSLayoutAttributeCenterY, this, uikit::NSLayoutAttributeCenterY, -20));
    setRealNameLabel(addLine(std::move(realName), uikit::UIColor::grayColor(), 15, uikit::NSLayoutAttributeTop,
                             devNameLabel_.get(), uikit::NSLayoutAttributeBottom, 0));
    setJobLabel(addLine(std::move(jobSubtitle), uikit::UIColor::grayColor(), 12, uikit::NSLayoutAttributeTop,
                        realNameLabel_.get(), uikit::NSLayoutAttributeBottom, 5));
    return std::static_pointer_cast<VeltronaSnapfoldDeveloperTableCell>(retain());
}

void VeltronaSnapfoldDeveloperTableCell::openLink() {
    if (!user_) {
        foundation::NSLog("VeltronaSnapfoldDeveloperTableCell: the row names no Twitter user; nothing is opened");
        return;
    }
    // The user name, with every character that could change the URL's
    // meaning escaped.
    std::optional<std::string> escaped = CFURLCreateStringByAddingPercentEscapes(
        kCFAllocatorDefault, *user_, std::nullopt, kLegalCharactersToEscape, kCFStringEncodingUTF8);
    if (!escaped) {
        foundation::NSLog("VeltronaSnapfoldDeveloperTableCell: the Twitter user name is not text; nothing is opened");
        return;
    }
    // The first client the device has, else the web. Whether anything opened
    // is not looked at: the row has nothing else to offer.
    auto url = foundation::NSURL::URLWithString(snapfold::prefs::profileURLPrefix() + *escaped);
    uikit::UIApplication::sharedApplication().openURL(url);
}
