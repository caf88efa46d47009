#include "platform/uikit/UISwitch.h"

#include <map>
#include <mutex>

namespace uikit {

namespace {
struct AppearanceTable {
    std::mutex mutex;
    std::map<objc::Class, UIColorRef> onTintByContainer;
};
AppearanceTable& appearanceTable() {
    static auto* table = new AppearanceTable;  // Process-wide, as the platform's proxies.
    return *table;
}
}  // namespace

UIColorRef UISwitchAppearance::onTintColor() const { return UISwitch::appearanceOnTintColorForContainer(container_); }

void UISwitchAppearance::setOnTintColor(UIColorRef color) {
    auto& table = appearanceTable();
    std::lock_guard lock(table.mutex);
    table.onTintByContainer[container_] = std::move(color);
}

objc::Class UISwitch::objcClass() {
    static objc::Class cls = objc::objc_registerClass("UISwitch", UIView::objcClass(),
                                                      [](objc::Class isa) { return objc::make<UISwitch>(isa); });
    return cls;
}

std::shared_ptr<UISwitch> UISwitch::create(CGRect frame) {
    auto control = objc::make<UISwitch>();
    control->initWithFrame(frame.size.width > 0 ? frame : CGRect{frame.origin, {51, 31}});
    return control;
}

UISwitchAppearance UISwitch::appearanceWhenContainedIn(objc::Class container) { return UISwitchAppearance(container); }

UIColorRef UISwitch::appearanceOnTintColorForContainer(objc::Class container) {
    auto& table = appearanceTable();
    std::lock_guard lock(table.mutex);
    auto it = table.onTintByContainer.find(container);
    return it == table.onTintByContainer.end() ? nullptr : it->second;
}

void UISwitch::applyAppearanceOfContainer(objc::Class container) {
    // The nearest class of the containment chain with a recorded colour wins.
    for (objc::Class cls = container; cls; cls = cls->superclass()) {
        if (UIColorRef color = appearanceOnTintColorForContainer(cls)) {
            onTintColor_ = std::move(color);
            return;
        }
    }
}

void UISwitch::resetAppearanceForTesting() {
    auto& table = appearanceTable();
    std::lock_guard lock(table.mutex);
    table.onTintByContainer.clear();
}

std::string UISwitch::dumpDetails() const {
    return std::string("on=") + (on_ ? "YES" : "NO") +
           (onTintColor_ ? " onTint=" + onTintColor_->description() : std::string());
}

}  // namespace uikit
