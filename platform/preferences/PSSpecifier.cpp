#include "platform/preferences/PSSpecifier.h"

#include <algorithm>
#include <array>

namespace preferences {

namespace {
constexpr std::array<const char*, 16> kCellTypeNames{
    "PSGroupCell",          "PSLinkCell",    "PSLinkListCell",     "PSListItemCell",
    "PSTitleValueCell",     "PSSliderCell",  "PSSwitchCell",       "PSStaticTextCell",
    "PSEditTextCell",       "PSSegmentCell", "PSGiantIconCell",    "PSGiantCell",
    "PSSecureEditTextCell", "PSButtonCell",  "PSEditTextViewCell", "PSSpinnerCell"};
}  // namespace

std::optional<PSCellType> cellTypeFromString(std::string_view name) {
    for (std::size_t i = 0; i < kCellTypeNames.size(); ++i)
        if (name == kCellTypeNames[i]) return static_cast<PSCellType>(i);
    return std::nullopt;
}

const char* cellTypeName(long type) {
    if (type < 0 || static_cast<std::size_t>(type) >= kCellTypeNames.size()) return "unknown";
    return kCellTypeNames[static_cast<std::size_t>(type)];
}

const std::string* titleForValue(const TitleDictionary& titles, const foundation::PlistValue& value) {
    for (const auto& [key, title] : titles)
        if (key == value) return &title;
    return nullptr;
}

objc::Class PSSpecifier::objcClass() {
    static objc::Class cls = objc::objc_registerClass("PSSpecifier", objc::rootClass(),
                                                      [](objc::Class isa) { return objc::make<PSSpecifier>(isa); });
    return cls;
}

std::shared_ptr<PSSpecifier> PSSpecifier::create() { return objc::make<PSSpecifier>(); }

std::shared_ptr<PSSpecifier> PSSpecifier::preferenceSpecifierNamed(std::optional<std::string> name, long cellType) {
    auto specifier = create();
    specifier->name_ = std::move(name);
    specifier->cellType_ = cellType;
    return specifier;
}

const foundation::PlistValue* PSSpecifier::propertyForKey(std::string_view key) const {
    auto it = properties_.find(std::string(key));
    return it == properties_.end() ? nullptr : &it->second;
}

std::optional<std::string> PSSpecifier::stringPropertyForKey(std::string_view key) const {
    const foundation::PlistValue* value = propertyForKey(key);
    if (!value || !value->string()) return std::nullopt;
    return *value->string();
}

void PSSpecifier::setProperty(std::optional<foundation::PlistValue> value, std::string_view key) {
    if (!value) {
        properties_.erase(std::string(key));
        return;
    }
    properties_.insert_or_assign(std::string(key), std::move(*value));
}

std::string PSSpecifier::identifier() const {
    if (auto id = stringPropertyForKey("id")) return *id;
    return name_.value_or("");
}

void PSSpecifier::setValues(foundation::PlistValue::Array values, const std::vector<std::string>& titles,
                            const std::optional<std::vector<std::string>>& shortTitles) {
    auto zip = [&](const std::vector<std::string>& names) {
        TitleDictionary dictionary;
        for (std::size_t i = 0; i < values.size() && i < names.size(); ++i) {
            auto existing = std::find_if(dictionary.begin(), dictionary.end(),
                                         [&](const auto& entry) { return entry.first == values[i]; });
            if (existing != dictionary.end()) existing->second = names[i];
            else dictionary.emplace_back(values[i], names[i]);
        }
        return dictionary;
    };
    titleDictionary_ = zip(titles);
    if (shortTitles) shortTitleDictionary_ = zip(*shortTitles);
    values_ = std::move(values);
}

std::string PSSpecifier::description() const {
    return "<PSSpecifier " + std::string(cellTypeName(cellType_)) + " \"" + name_.value_or("") + "\">";
}

}  // namespace preferences
