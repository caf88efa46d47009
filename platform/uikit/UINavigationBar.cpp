#include "platform/uikit/UINavigationBar.h"

namespace uikit {

objc::Class UINavigationBar::objcClass() {
    static objc::Class cls = objc::objc_registerClass(
        "UINavigationBar", UIView::objcClass(), [](objc::Class isa) { return std::make_shared<UINavigationBar>(isa); });
    return cls;
}

}  // namespace uikit
