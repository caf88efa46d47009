// Bar button items: a system item number, a target and an action by name.
#pragma once

#include "platform/runtime/Runtime.h"

#include <memory>
#include <string>

namespace uikit {

enum UIBarButtonSystemItem : long {
    UIBarButtonSystemItemDone = 0,
    UIBarButtonSystemItemCancel = 1,
    UIBarButtonSystemItemEdit = 2,
    UIBarButtonSystemItemSave = 3,
    UIBarButtonSystemItemAdd = 4,
    UIBarButtonSystemItemFlexibleSpace = 5,
    UIBarButtonSystemItemFixedSpace = 6,
    UIBarButtonSystemItemCompose = 7,
    UIBarButtonSystemItemReply = 8,
    UIBarButtonSystemItemAction = 9,
};

class UIBarButtonItem : public objc::Object {
public:
    static objc::Class objcClass();
    // `[[UIBarButtonItem alloc] initWithBarButtonSystemItem:target:action:]`.
    // As on the platform, the item does not retain its target: it holds it
    // weakly and a tap after the target is gone does nothing.
    static std::shared_ptr<UIBarButtonItem> create(long systemItem, const std::shared_ptr<objc::Object>& target,
                                                   std::string action);

    long systemItem() const { return systemItem_; }
    std::shared_ptr<objc::Object> target() const { return target_.lock(); }
    const std::string& action() const { return action_; }

    // What a tap does: sends the action to the target with the item as sender.
    // False when nothing was sent.
    bool tap();

protected:
    friend objc::Allocation;
    explicit UIBarButtonItem(objc::Class isa = objcClass()) : objc::Object(isa) {}

private:
    long systemItem_ = 0;
    std::weak_ptr<objc::Object> target_;
    std::string action_;
};

using UIBarButtonItemRef = std::shared_ptr<UIBarButtonItem>;

}  // namespace uikit
