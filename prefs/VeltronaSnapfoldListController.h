// The base of every settings page of the bundle: rows loaded from a named
// specifier list and localized; each row's value read from and written to
// the settings file, with the settings-changed notification after each
// write; the page's colours; and the status-bar style kept while it shows.
#pragma once

#include "platform/preferences/PSListController.h"

#include <cstdint>
#include <string_view>

class VeltronaSnapfoldListController : public preferences::PSListController {
public:
    static objc::Class objcClass();
    static std::shared_ptr<VeltronaSnapfoldListController> create();

    // The rows of a specifier list, loaded with the page as target and
    // localized by the shared localizer. The caller keeps them as its rows.
    preferences::SpecifierList specifiersForPlistName(std::string_view name);

    // The stored value under the row's "key", else the row's "default".
    std::optional<foundation::PlistValue> readPreferenceValue(preferences::PSSpecifier* specifier) override;
    // Rewrites the whole settings file atomically with the row's key set to
    // the value (every other key kept), then posts the row's
    // "PostNotification". A settings file that exists but cannot be read is
    // first kept beside it as "<name>.unreadable[.N]"; if it cannot be kept,
    // nothing is written, and the post still happens. A row without a key or a value stores nothing and
    // posts nothing; a row without a notification name stores but posts
    // nothing. Each of these is logged.
    void setPreferenceValue(std::optional<foundation::PlistValue> value, preferences::PSSpecifier* specifier) override;

    void viewWillAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    // Every row's title in the page's dark blue.
    uikit::UITableViewCellRef tableViewCellForRowAtIndexPath(uikit::UITableView& tableView,
                                                             uikit::NSIndexPath indexPath) override;

    std::int64_t prevStatusStyle() const { return prevStatusStyle_; }

    // The page's colours.
    static uikit::UIColorRef barTintColor();
    static uikit::UIColorRef switchOnTintColor();
    static uikit::UIColorRef rowTitleColor();

protected:
    friend objc::Allocation;
    explicit VeltronaSnapfoldListController(objc::Class isa = objcClass()) : preferences::PSListController(isa) {}

private:
    // The navigation bar this page styles: on systems with Core Foundation
    // 1140.1 to 1141.18 the page sits inside a navigation controller that is
    // itself inside another one, whose bar is the visible one.
    uikit::UINavigationBar* styledNavigationBar() const;

    std::int64_t prevStatusStyle_ = 0;
};
