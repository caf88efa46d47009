#include "platform/preferences/PSTableCell.h"

#include "platform/preferences/PreferencesSelectors.h"

namespace preferences {

namespace {
std::shared_ptr<objc::Object> initWithStyleReuseIdentifierSpecifierImp(objc::id self, objc::SEL, long style,
                                                                       std::string reuseIdentifier,
                                                                       PSSpecifier* specifier) {
    auto* cell = dynamic_cast<PSTableCell*>(self);
    if (!cell) return nullptr;
    return cell->initWithStyle(style, std::move(reuseIdentifier), specifier);
}
}  // namespace

objc::Class PSTableCell::objcClass() {
    static objc::Class cls = [] {
        objc::Class made = objc::objc_registerClass("PSTableCell", uikit::UITableViewCell::objcClass(),
                                                    [](objc::Class isa) { return objc::make<PSTableCell>(isa); });
        objc::class_addMethod(made, kInitWithStyleReuseIdentifierSpecifier, &initWithStyleReuseIdentifierSpecifierImp);
        return made;
    }();
    return cls;
}

std::shared_ptr<PSTableCell> PSTableCell::create(long style, std::string reuseIdentifier, PSSpecifier* specifier) {
    return objc::make<PSTableCell>()->initWithStyle(style, std::move(reuseIdentifier), specifier);
}

std::shared_ptr<PSTableCell> PSTableCell::initWithStyle(long style, std::string reuseIdentifier,
                                                        PSSpecifier* specifier) {
    uikit::UITableViewCell::initWithStyle(style, std::move(reuseIdentifier));
    if (specifier) {
        specifier_ = std::static_pointer_cast<PSSpecifier>(specifier->retain());
        refreshCellContentsWithSpecifier(specifier);
    }
    return std::static_pointer_cast<PSTableCell>(retain());
}

void PSTableCell::refreshCellContentsWithSpecifier(PSSpecifier* specifier) {
    if (!specifier) return;
    type_ = specifier->cellType();
    titleLabel()->setText(specifier->name().value_or(""));
    // Rows that open a page show the disclosure indicator.
    if (type_ == PSLinkCell || type_ == PSLinkListCell)
        setAccessoryType(uikit::UITableViewCellAccessoryDisclosureIndicator);
    if (type_ == PSSwitchCell && !control_) {
        control_ = uikit::UISwitch::create();
        setAccessoryView(control_);
        addSubview(control_);
    }
}

void PSTableCell::setValue(const std::optional<foundation::PlistValue>& value) {
    value_ = value;
    if (control_) control_->setOn(value && value->boolValue().value_or(false));
    detailTextLabel()->setText(displayedValue());
}

std::string PSTableCell::displayedValue() const {
    if (!value_) return {};
    switch (type_) {
    case PSSwitchCell: return value_->boolValue().value_or(false) ? "on" : "off";
    case PSEditTextCell:
    case PSEditTextViewCell: return value_->string() ? *value_->string() : value_->description();
    case PSSecureEditTextCell: return std::string(value_->string() ? value_->string()->size() : 0, '*');
    case PSLinkListCell:
    case PSTitleValueCell:
    case PSSegmentCell: {
        // A choice row shows the short title of its value, else the title.
        auto specifier = specifier_.lock();
        if (specifier && type_ != PSSegmentCell && specifier->shortTitleDictionary())
            if (const std::string* title = titleForValue(*specifier->shortTitleDictionary(), *value_)) return *title;
        if (specifier && specifier->titleDictionary())
            if (const std::string* title = titleForValue(*specifier->titleDictionary(), *value_)) return *title;
        return value_->string() ? *value_->string() : value_->description();
    }
    default: return value_->string() ? *value_->string() : value_->description();
    }
}

std::string PSTableCell::reuseIdentifierForType(long type) { return cellTypeName(type); }

long PSTableCell::styleForType(long type) {
    switch (type) {
    case PSLinkListCell:
    case PSTitleValueCell:
    case PSEditTextCell:
    case PSSecureEditTextCell: return uikit::UITableViewCellStyleValue1;
    default: return uikit::UITableViewCellStyleDefault;
    }
}

}  // namespace preferences
