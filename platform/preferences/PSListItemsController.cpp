#include "platform/preferences/PSListItemsController.h"

#include "platform/foundation/NSLog.h"

namespace preferences {

namespace {

std::string itemTitle(const PSSpecifier& row, const foundation::PlistValue& value) {
    if (row.titleDictionary())
        if (const std::string* title = titleForValue(*row.titleDictionary(), value)) return *title;
    return value.string() ? *value.string() : value.description();
}

}  // namespace

objc::Class PSListItemsController::objcClass() {
    static objc::Class cls = objc::objc_registerClass(
        "PSListItemsController", PSListController::objcClass(),
        [](objc::Class isa) { return objc::make<PSListItemsController>(isa); });
    return cls;
}

std::shared_ptr<PSListItemsController> PSListItemsController::create() { return objc::make<PSListItemsController>(); }

SpecifierList PSListItemsController::specifiers() {
    if (_specifiers) return _specifiers;
    _specifiers = std::make_shared<SpecifierArray>();
    PSSpecifierRef row = specifier();
    if (!row || !row->values()) {
        foundation::NSLog("Preferences: %@ was not opened from a choice row; it lists nothing",
                          row ? row->identifier() : std::string("(no row)"));
        return _specifiers;
    }
    for (const auto& value : *row->values()) {
        auto item = PSSpecifier::preferenceSpecifierNamed(itemTitle(*row, value), PSListItemCell);
        item->setProperty(value, kItemValueKey);
        _specifiers->push_back(std::move(item));
    }
    return _specifiers;
}

uikit::UITableViewCellRef PSListItemsController::tableViewCellForRowAtIndexPath(uikit::UITableView& tableView,
                                                                                uikit::NSIndexPath indexPath) {
    auto cell = PSListController::tableViewCellForRowAtIndexPath(tableView, indexPath);
    PSSpecifierRef item = specifierAtIndexPath(indexPath);
    if (!cell || !item) return cell;
    auto current = currentValue();
    const foundation::PlistValue* value = item->propertyForKey(kItemValueKey);
    bool checked = current && value && *current == *value;
    cell->setAccessoryType(checked ? uikit::UITableViewCellAccessoryCheckmark : uikit::UITableViewCellAccessoryNone);
    return cell;
}

std::optional<foundation::PlistValue> PSListItemsController::currentValue() {
    auto parent = parentController();
    PSSpecifierRef row = specifier();
    if (!parent || !row) return std::nullopt;
    return parent->valueForSpecifier(*row);
}

std::optional<std::size_t> PSListItemsController::checkedItemIndex() {
    auto current = currentValue();
    SpecifierList items = specifiers();
    if (!current) return std::nullopt;
    for (std::size_t i = 0; i < items->size(); ++i) {
        const foundation::PlistValue* value = (*items)[i]->propertyForKey(kItemValueKey);
        if (value && *value == *current) return i;
    }
    return std::nullopt;
}

bool PSListItemsController::listItemSelected(std::size_t index) {
    SpecifierList items = specifiers();
    auto parent = parentController();
    PSSpecifierRef row = specifier();
    if (index >= items->size() || !parent || !row) {
        foundation::NSLog("Preferences: no item %@ to choose, or its page is gone; nothing stored",
                          std::to_string(index));
        return false;
    }
    const foundation::PlistValue* value = (*items)[index]->propertyForKey(kItemValueKey);
    parent->setValueForSpecifier(value ? std::optional(*value) : std::nullopt, *row);
    return true;
}

}  // namespace preferences
