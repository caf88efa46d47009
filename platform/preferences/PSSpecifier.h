// Specifiers: the description of one row of a settings page, as the
// Preferences framework loads it from a specifier list and hands it to the
// page's value accessors and to custom cells.
#pragma once

#include "platform/foundation/PropertyList.h"
#include "platform/runtime/Runtime.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace preferences {

// The framework's cell types, numbered as the platform numbers them.
enum PSCellType : long {
    PSGroupCell = 0,
    PSLinkCell = 1,
    PSLinkListCell = 2,
    PSListItemCell = 3,
    PSTitleValueCell = 4,
    PSSliderCell = 5,
    PSSwitchCell = 6,
    PSStaticTextCell = 7,
    PSEditTextCell = 8,
    PSSegmentCell = 9,
    PSGiantIconCell = 10,
    PSGiantCell = 11,
    PSSecureEditTextCell = 12,
    PSButtonCell = 13,
    PSEditTextViewCell = 14,
    PSSpinnerCell = 15,
};

// A cell type's name ("PSSwitchCell") to its number; nothing for an unknown name.
std::optional<PSCellType> cellTypeFromString(std::string_view name);
const char* cellTypeName(long type);

// A choice row's map from stored value to displayed title. The order is the
// order of the choices; keys are unique.
using TitleDictionary = std::vector<std::pair<foundation::PlistValue, std::string>>;
// The title of `value` in a title dictionary, or nothing.
const std::string* titleForValue(const TitleDictionary& titles, const foundation::PlistValue& value);

class PSSpecifier : public objc::Object {
public:
    static objc::Class objcClass();
    // A specifier named `name`, of the given cell type, with no properties.
    static std::shared_ptr<PSSpecifier> preferenceSpecifierNamed(std::optional<std::string> name, long cellType);
    // `[[PSSpecifier alloc] init]`: a group row without a name or properties.
    static std::shared_ptr<PSSpecifier> create();

    // Every key of the row's entry in its specifier list, as loaded.
    const foundation::NSDictionary& properties() const { return properties_; }
    // `propertyForKey:`: the value, or null when absent.
    const foundation::PlistValue* propertyForKey(std::string_view key) const;
    // A string property, or nothing when absent or not a string.
    std::optional<std::string> stringPropertyForKey(std::string_view key) const;
    // `setProperty:forKey:`; an absent value removes the key, as nil does.
    void setProperty(std::optional<foundation::PlistValue> value, std::string_view key);

    // `name`: the row's title; absent for a row without a label.
    const std::optional<std::string>& name() const { return name_; }
    void setName(std::optional<std::string> name) { name_ = std::move(name); }
    // `identifier`: the "id" property, else the name.
    std::string identifier() const;

    long cellType() const { return cellType_; }
    void setCellType(long type) { cellType_ = type; }

    // The page class a link row opens ("detail"), and the custom cell class
    // of the row ("cellClass"); null when not named or not known.
    objc::Class detailControllerClass() const { return detailControllerClass_; }
    void setDetailControllerClass(objc::Class cls) { detailControllerClass_ = cls; }
    objc::Class cellClass() const { return cellClass_; }
    void setCellClass(objc::Class cls) { cellClass_ = cls; }

    // The object that the row's action and value accessors go to: the page
    // that loaded the row. Held weakly: the page owns its rows.
    std::shared_ptr<objc::Object> target() const { return target_.lock(); }
    void setTarget(const std::shared_ptr<objc::Object>& target) { target_ = target; }
    // Selector names; empty when the row has none.
    const std::string& buttonAction() const { return action_; }
    void setButtonAction(std::string action) { action_ = std::move(action); }
    const std::string& getter() const { return getter_; }
    const std::string& setter() const { return setter_; }
    void setAccessors(std::string getter, std::string setter) {
        getter_ = std::move(getter);
        setter_ = std::move(setter);
    }

    // Choice rows: `values`, `titleDictionary` and `shortTitleDictionary`.
    const std::optional<foundation::PlistValue::Array>& values() const { return values_; }
    const std::optional<TitleDictionary>& titleDictionary() const { return titleDictionary_; }
    void setTitleDictionary(std::optional<TitleDictionary> titles) { titleDictionary_ = std::move(titles); }
    const std::optional<TitleDictionary>& shortTitleDictionary() const { return shortTitleDictionary_; }
    void setShortTitleDictionary(std::optional<TitleDictionary> titles) { shortTitleDictionary_ = std::move(titles); }
    // `setValues:titles:shortTitles:`: zips values with titles (and short
    // titles) by index; a later duplicate value replaces the earlier title.
    void setValues(foundation::PlistValue::Array values, const std::vector<std::string>& titles,
                   const std::optional<std::vector<std::string>>& shortTitles);

    std::string description() const override;

protected:
    friend objc::Allocation;
    explicit PSSpecifier(objc::Class isa = objcClass()) : objc::Object(isa) {}

private:
    foundation::NSDictionary properties_;
    std::optional<std::string> name_;
    long cellType_ = PSGroupCell;
    objc::Class detailControllerClass_ = nullptr;
    objc::Class cellClass_ = nullptr;
    std::weak_ptr<objc::Object> target_;
    std::string action_;
    std::string getter_;
    std::string setter_;
    std::optional<foundation::PlistValue::Array> values_;
    std::optional<TitleDictionary> titleDictionary_;
    std::optional<TitleDictionary> shortTitleDictionary_;
};

using PSSpecifierRef = std::shared_ptr<PSSpecifier>;
// A page's row list: one shared array, so that code handed the list and code
// keeping it see the same rows (the platform's mutable array).
using SpecifierArray = std::vector<PSSpecifierRef>;
using SpecifierList = std::shared_ptr<SpecifierArray>;

}  // namespace preferences
