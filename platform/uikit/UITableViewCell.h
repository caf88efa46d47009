// Table cells: a view with a title label, a detail label, an accessory
// control, a selection style and a selected state.
#pragma once

#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIView.h"

#include <string>

namespace uikit {

enum UITableViewCellStyle : long {
    UITableViewCellStyleDefault = 0,
    UITableViewCellStyleValue1 = 1,
    UITableViewCellStyleValue2 = 2,
    UITableViewCellStyleSubtitle = 3,
};

enum UITableViewCellSelectionStyle : long {
    UITableViewCellSelectionStyleNone = 0,
    UITableViewCellSelectionStyleBlue = 1,
    UITableViewCellSelectionStyleGray = 2,
};

class UITableViewCell : public UIView {
public:
    static objc::Class objcClass();
    explicit UITableViewCell(objc::Class isa = objcClass()) : UIView(isa) {}

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

    long selectionStyle() const { return selectionStyle_; }
    virtual void setSelectionStyle(long style) { selectionStyle_ = style; }
    bool isSelected() const { return selected_; }
    virtual void setSelected(bool selected, bool animated);

private:
    void buildStandardViews(CGRect frame);

    long style_ = UITableViewCellStyleDefault;
    std::string reuseIdentifier_;
    UILabelRef textLabel_;
    UILabelRef detailTextLabel_;
    UIViewRef contentView_;
    UIViewRef accessoryView_;
    long selectionStyle_ = UITableViewCellSelectionStyleBlue;
    bool selected_ = false;
};

using UITableViewCellRef = std::shared_ptr<UITableViewCell>;

}  // namespace uikit
