// Table views: sections of rows asked from a data source, with per-section
// header views and heights asked from a delegate, counted from 0.
#pragma once

#include "platform/uikit/UITableViewCell.h"

#include <memory>
#include <optional>
#include <string>

namespace uikit {

struct NSIndexPath {
    long section = 0;
    long row = 0;
    bool operator==(const NSIndexPath&) const = default;
};

class UITableView;

// What a table asks of the controller that fills it.
class UITableViewDataSource {
public:
    virtual ~UITableViewDataSource() = default;
    virtual long numberOfSectionsInTableView(UITableView& tableView) = 0;
    virtual long tableViewNumberOfRowsInSection(UITableView& tableView, long section) = 0;
    virtual UITableViewCellRef tableViewCellForRowAtIndexPath(UITableView& tableView, NSIndexPath indexPath) = 0;
    virtual std::optional<std::string> tableViewTitleForHeaderInSection(UITableView&, long) { return std::nullopt; }
    virtual std::optional<std::string> tableViewTitleForFooterInSection(UITableView&, long) { return std::nullopt; }
    // A header view of the controller's own, or nothing for the table's default.
    virtual UIViewRef tableViewViewForHeaderInSection(UITableView&, long) { return nullptr; }
    // A height of the controller's own; a negative value asks for the
    // table's default height.
    virtual double tableViewHeightForHeaderInSection(UITableView&, long) { return -1; }
};

class UITableView : public UIView {
public:
    static objc::Class objcClass();
    static std::shared_ptr<UITableView> create(CGRect frame);

    // Held weakly: the controller owns the table through its view.
    void setDataSource(std::weak_ptr<UITableViewDataSource> dataSource) { dataSource_ = std::move(dataSource); }
    std::shared_ptr<UITableViewDataSource> dataSource() const { return dataSource_.lock(); }

    // The height the table uses for a header the delegate gives none for.
    static constexpr double kDefaultHeaderHeight = 22;

protected:
    friend objc::Allocation;
    explicit UITableView(objc::Class isa = objcClass()) : UIView(isa) {}

private:
    std::weak_ptr<UITableViewDataSource> dataSource_;
};

using UITableViewRef = std::shared_ptr<UITableView>;

}  // namespace uikit
