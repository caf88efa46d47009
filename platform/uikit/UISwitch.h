// Switches, and the appearance proxy that sets the on-tint colour of the
// switches contained in views of a given class.
#pragma once

#include "platform/uikit/UIView.h"

namespace uikit {

class UISwitch;

// `[UISwitch appearanceWhenContainedIn:cls, nil]`: what it records applies to
// switches made afterwards inside a container of that class.
class UISwitchAppearance {
public:
    UIColorRef onTintColor() const;
    void setOnTintColor(UIColorRef color);

private:
    friend class UISwitch;
    explicit UISwitchAppearance(objc::Class container) : container_(container) {}
    objc::Class container_;
};

class UISwitch : public UIView {
public:
    static objc::Class objcClass();
    static std::shared_ptr<UISwitch> create(CGRect frame = CGRectZero);

    bool isOn() const { return on_; }
    void setOn(bool on) { on_ = on; }
    UIColorRef onTintColor() const { return onTintColor_; }
    void setOnTintColor(UIColorRef color) { onTintColor_ = std::move(color); }

    // The proxy for switches contained in `container` (a class alone). The
    // proxy is process-wide and lives as long as the process.
    static UISwitchAppearance appearanceWhenContainedIn(objc::Class container);
    // The on-tint colour recorded for `container`, or nothing.
    static UIColorRef appearanceOnTintColorForContainer(objc::Class container);
    // Gives a new switch the colour recorded for the class of its container.
    void applyAppearanceOfContainer(objc::Class container);

    // Test seam: forgets every recorded appearance.
    static void resetAppearanceForTesting();

    std::string dumpDetails() const override;

protected:
    friend objc::Allocation;
    explicit UISwitch(objc::Class isa = objcClass()) : UIView(isa) {}

private:
    bool on_ = false;
    UIColorRef onTintColor_;
};

using UISwitchRef = std::shared_ptr<UISwitch>;

}  // namespace uikit
