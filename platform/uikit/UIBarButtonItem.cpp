#include "platform/uikit/UIBarButtonItem.h"

#include "platform/uikit/UIApplication.h"

namespace uikit {

objc::Class UIBarButtonItem::objcClass() {
    static objc::Class cls = objc::objc_registerClass("UIBarButtonItem", objc::rootClass());
    return cls;
}

std::shared_ptr<UIBarButtonItem> UIBarButtonItem::create(long systemItem, const std::shared_ptr<objc::Object>& target,
                                                         std::string action) {
    auto item = objc::make<UIBarButtonItem>();
    item->systemItem_ = systemItem;
    item->target_ = target;
    item->action_ = std::move(action);
    return item;
}

bool UIBarButtonItem::tap() {
    auto target = target_.lock();
    if (!target) return false;
    return UIApplication::sendAction(action_, target.get(), this);
}

}  // namespace uikit
