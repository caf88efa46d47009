// The framework's picker page for a choice row ("detail" =
// PSListItemsController): one row per choice of the row that opened it, a
// checkmark on the choice that is the row's current value, and a tap that
// stores the chosen value through the page that showed the row.
#pragma once

#include "platform/preferences/PSListController.h"

#include <cstddef>
#include <optional>

namespace preferences {

class PSListItemsController : public PSListController {
public:
    static objc::Class objcClass();
    // `[[PSListItemsController alloc] init]`.
    static std::shared_ptr<PSListItemsController> create();

    // One PSListItemCell row per choice of the opening row ("validValues"),
    // in order, titled by the row's `titleDictionary`, which the page that
    // loaded the row has localized (else by the value's own text). No rows
    // when the page was not opened from a choice row.
    SpecifierList specifiers() override;
    // The item's cell, with the checkmark when its value is the current one.
    uikit::UITableViewCellRef tableViewCellForRowAtIndexPath(uikit::UITableView& tableView,
                                                             uikit::NSIndexPath indexPath) override;

    // The opening row's value as its page reads it (its "get" accessor or
    // `readPreferenceValue:`); nothing when that page is gone.
    std::optional<foundation::PlistValue> currentValue();
    // The position of the first item whose value is the current value.
    std::optional<std::size_t> checkedItemIndex();
    // `listItemSelected:`: stores the item's value for the opening row
    // through its page (its "set" accessor or `setPreferenceValue:specifier:`,
    // which writes and posts as that page does); the checkmark follows the
    // stored value. False, logged, when there is no such item or the page
    // that showed the row is gone.
    bool listItemSelected(std::size_t index);

    // The value an item row stands for, kept under this property.
    static constexpr const char* kItemValueKey = "value";

protected:
    friend objc::Allocation;
    explicit PSListItemsController(objc::Class isa = objcClass()) : PSListController(isa) {}
};

}  // namespace preferences
