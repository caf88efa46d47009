// The framework's list page: the base of every settings page. It keeps the
// page's rows in `_specifiers`, loads them from a named specifier list in its
// bundle, groups them into the table's sections, makes each row's cell, and
// routes each row's value, action and link through the page.
#pragma once

#include "platform/foundation/NSBundleResources.h"
#include "platform/foundation/PropertyList.h"
#include "platform/preferences/PSSpecifier.h"
#include "platform/preferences/PSTableCell.h"
#include "platform/uikit/UITableView.h"
#include "platform/uikit/UIViewController.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace preferences {

class PSListController : public uikit::UIViewController, public uikit::UITableViewDataSource {
public:
    static objc::Class objcClass();
    // `[[PSListController alloc] init]`.
    static std::shared_ptr<PSListController> create();

    // `specifiers`: asked whenever the rows are needed. The framework's own
    // version answers the slot as it is.
    virtual SpecifierList specifiers();
    // `loadSpecifiersFromPlistName:target:`: the rows of "<name>.plist" in the
    // page's bundle, in list order, bound to `target`. An empty list, and a
    // log line, when the bundle or the list is missing or unreadable.
    SpecifierList loadSpecifiersFromPlistName(std::string_view name, const std::shared_ptr<objc::Object>& target);

    // The value accessors: the framework's own read the row's "defaults"
    // domain ("/var/mobile/Library/Preferences/<defaults>.plist") and fall
    // back to the row's "default"; its own write stores there and posts the
    // row's "PostNotification".
    virtual std::optional<foundation::PlistValue> readPreferenceValue(PSSpecifier* specifier);
    virtual void setPreferenceValue(std::optional<foundation::PlistValue> value, PSSpecifier* specifier);

    // The table's questions (sections counted from 0).
    long numberOfSectionsInTableView(uikit::UITableView& tableView) override;
    long tableViewNumberOfRowsInSection(uikit::UITableView& tableView, long section) override;
    // Makes the row's cell: of the row's own cell class when it names one,
    // else the framework's cell for its type, showing the current value.
    uikit::UITableViewCellRef tableViewCellForRowAtIndexPath(uikit::UITableView& tableView,
                                                             uikit::NSIndexPath indexPath) override;
    std::optional<std::string> tableViewTitleForHeaderInSection(uikit::UITableView& tableView, long section) override;
    std::optional<std::string> tableViewTitleForFooterInSection(uikit::UITableView& tableView, long section) override;

    // The page's table, which is its view.
    uikit::UITableViewRef table();
    void loadView() override;

    // Where the page reads its specifier lists: set by whoever opens it (the
    // Settings app for a bundle's first page, the parent page for a link).
    const foundation::NSBundleRef& bundle() const { return bundle_; }
    void setBundle(foundation::NSBundleRef bundle) { bundle_ = std::move(bundle); }
    // The row that opened this page, if any.
    PSSpecifierRef specifier() const { return specifier_; }
    void setSpecifier(PSSpecifierRef specifier) { specifier_ = std::move(specifier); }
    // The page whose row opened this one (held weakly: the navigation owns
    // both), or nothing.
    std::shared_ptr<PSListController> parentController() const { return parentController_.lock(); }

    // The rows grouped as the table shows them: a group row starts a
    // section; rows before the first group form a section of their own.
    struct Section {
        PSSpecifierRef group;  // null for the leading rows without a group
        std::vector<PSSpecifierRef> rows;
    };
    std::vector<Section> sections();
    PSSpecifierRef specifierAtIndexPath(uikit::NSIndexPath indexPath);
    std::optional<uikit::NSIndexPath> indexPathForSpecifier(const PSSpecifier& specifier);
    // The first row with this "id", "key" or name.
    PSSpecifierRef specifierForID(std::string_view identifier);

    // What the framework does for a row: read and store its value through
    // its accessors ("get"/"set", else the two methods above), send its
    // button action to its target, and make the page a link row opens
    // (which keeps this page as its parent and holds the row that opened it).
    std::optional<foundation::PlistValue> valueForSpecifier(PSSpecifier& specifier);
    void setValueForSpecifier(std::optional<foundation::PlistValue> value, PSSpecifier& specifier);
    bool performActionForSpecifier(PSSpecifier& specifier);
    std::shared_ptr<PSListController> controllerForSpecifier(const PSSpecifierRef& specifier);

protected:
    friend objc::Allocation;
    explicit PSListController(objc::Class isa = objcClass()) : uikit::UIViewController(isa) {}

    // The platform's row list slot: absent until a page loads its rows.
    SpecifierList _specifiers;

private:
    foundation::NSBundleRef bundle_;
    PSSpecifierRef specifier_;
    std::weak_ptr<PSListController> parentController_;
    uikit::UITableViewRef table_;
};

using PSListControllerRef = std::shared_ptr<PSListController>;

}  // namespace preferences
