#include "platform/uikit/UITableView.h"

namespace uikit {

objc::Class UITableView::objcClass() {
    static objc::Class cls = objc::objc_registerClass("UITableView", UIView::objcClass(),
                                                      [](objc::Class isa) { return objc::make<UITableView>(isa); });
    return cls;
}

std::shared_ptr<UITableView> UITableView::create(CGRect frame) {
    auto table = objc::make<UITableView>();
    table->initWithFrame(frame);
    return table;
}

}  // namespace uikit
