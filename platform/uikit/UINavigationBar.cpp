#include "platform/uikit/UINavigationBar.h"

namespace uikit {

objc::Class UINavigationBar::objcClass() {
    static objc::Class cls = objc::objc_registerClass("UINavigationBar", UIView::objcClass(),
                                                      [](objc::Class isa) { return objc::make<UINavigationBar>(isa); });
    return cls;
}

std::shared_ptr<UINavigationBar> UINavigationBar::create() {
    auto bar = objc::make<UINavigationBar>();
    bar->init();
    return bar;
}

}  // namespace uikit
