// Table cells: a view with a title label, a detail label, an accessory
// control, a selection style and a selected state.
#pragma once

#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIView.h"

#include <string>
#include <vector>

namespace uikit {

enum UITableViewCellStyle : long {
    UITableViewCellStyleDefault = 0,
    UITableViewCellStyleValue1 = 1,
    UITableViewCellStyleValue2 = 2,
    UITableViewCellStyleSubtitle = 3,
};

enum UITableViewCellAccessoryType : long {
    UITableViewCellAccessoryNone = 0,
    UITableViewCellAccessoryDisclosureIndicator = 1,
    UITableViewCellAccessoryCheckmark = 3,
};

enum UITableViewCellSelectionStyle : long {
    UITableViewCellSelectionStyleNone = 0,
    UITableViewCellSelectionStyleBlue = 1,
    UITableViewCellSelectionStyleGray = 2,
};

class UITableViewCell : public UIView {
public:
    static objc::Class objcClass();
    // `[[UITableViewCell alloc] initWithStyle:style reuseIdentifier:reuseIdentifier]`.
    static std::shared_ptr<UITableViewCell> create(long style, std::string reuseIdentifier);

    // `initWithStyle:reuseIdentifier:`: builds the labels and content view.
    virtual std::shared_ptr<UITableViewCell> initWithStyle(long style, std::string reuseIdentifier);
    // As on the platform, a cell made with a frame gets the default style.
    std::shared_ptr<UIView> initWithFrame(CGRect frame) override;

    long style() const { return style_; }
    const std::string& reuseIdentifier() const { return reuseIdentifier_; }
    const UILabelRef& textLabel() const { return textLabel_; }
    const UILabelRef& detailTextLabel() const { return detailTextLabel_; }
    const UIViewRef& contentView() const { return contentView_; }
    // The control at the trailing edge (a switch, for instance), or nothing.
    const UIViewRef& accessoryView() const { return accessoryView_; }
    void setAccessoryView(UIViewRef view) { accessoryView_ = std::move(view); }
    // The standard accessory drawn when there is no accessory view (a
    // disclosure indicator on rows that open a page, a checkmark on the
    // chosen item of a list).
    long accessoryType() const { return accessoryType_; }
    void setAccessoryType(long type) { accessoryType_ = type; }

    long selectionStyle() const { return selectionStyle_; }
    virtual void setSelectionStyle(long style) { selectionStyle_ = style; }
    bool isSelected() const { return selected_; }
    virtual void setSelected(bool selected, bool animated);
    // Every call that reached this class's setSelected, in order, so that a
    // test sees exactly what a subclass passed on to its base.
    struct SelectionCall {
        bool selected;
        bool animated;
        bool operator==(const SelectionCall&) const = default;
    };
    const std::vector<SelectionCall>& selectionCallsForTesting() const { return selectionCalls_; }

    // Places the standard views as the platform's cell styles do: the content
    // view beside the accessory, the title 15 points in and centred
    // vertically, the detail at the trailing edge (value styles) or under
    // the title (subtitle style), hidden in the default style; an accessory
    // view 15 points from the trailing edge, centred vertically. The title
    // keeps its whole width; in the value styles the detail takes what is
    // left beside it and its text ends in an ellipsis when drawn.
    void layoutSubviews() override;
    std::string dumpDetails() const override;

    // The platform's standard geometry of a row.
    static constexpr double kMargin = 15;
    static constexpr double kDisclosureWidth = 8;
    static constexpr double kDisclosureGap = 10;
    static constexpr double kCheckmarkWidth = 14;

protected:
    friend objc::Allocation;
    explicit UITableViewCell(objc::Class isa = objcClass()) : UIView(isa) {}

private:
    void buildStandardViews(CGRect frame);

    long style_ = UITableViewCellStyleDefault;
    std::string reuseIdentifier_;
    UILabelRef textLabel_;
    UILabelRef detailTextLabel_;
    UIViewRef contentView_;
    UIViewRef accessoryView_;
    long accessoryType_ = UITableViewCellAccessoryNone;
    long selectionStyle_ = UITableViewCellSelectionStyleBlue;
    bool selected_ = false;
    std::vector<SelectionCall> selectionCalls_;
};

using UITableViewCellRef = std::shared_ptr<UITableViewCell>;

}  // namespace uikit
