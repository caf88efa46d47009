// Navigation bars and items: the colours a page sets on the bar, and the
// title, title view and right button of each page's navigation item.
#pragma once

#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UIView.h"

#include <map>
#include <optional>
#include <string>

namespace uikit {

// The key of the text colour in title text attributes.
inline constexpr const char* NSForegroundColorAttributeName = "NSColor";

using TitleTextAttributes = std::map<std::string, UIColorRef>;

class UINavigationBar : public UIView {
public:
    static objc::Class objcClass();
    // `[[UINavigationBar alloc] init]`.
    static std::shared_ptr<UINavigationBar> create();

    // The tint colour proper (UIView's tintColor) colours the bar's buttons.
    UIColorRef barTintColor() const { return barTintColor_; }
    void setBarTintColor(UIColorRef color) { barTintColor_ = std::move(color); }
    // Absent means the system's default attributes.
    const std::optional<TitleTextAttributes>& titleTextAttributes() const { return titleTextAttributes_; }
    void setTitleTextAttributes(std::optional<TitleTextAttributes> attributes) {
        titleTextAttributes_ = std::move(attributes);
    }

protected:
    friend objc::Allocation;
    explicit UINavigationBar(objc::Class isa = objcClass()) : UIView(isa) {}

private:
    UIColorRef barTintColor_;
    std::optional<TitleTextAttributes> titleTextAttributes_;
};

class UINavigationItem {
public:
    const std::string& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }
    // Owned by the item: a page that makes a title view or button hands it
    // over and keeps no reference.
    const UIViewRef& titleView() const { return titleView_; }
    void setTitleView(UIViewRef view) { titleView_ = std::move(view); }
    const UIBarButtonItemRef& rightBarButtonItem() const { return rightBarButtonItem_; }
    void setRightBarButtonItem(UIBarButtonItemRef item) { rightBarButtonItem_ = std::move(item); }

private:
    std::string title_;
    UIViewRef titleView_;
    UIBarButtonItemRef rightBarButtonItem_;
};

}  // namespace uikit
