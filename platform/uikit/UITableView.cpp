#include "platform/uikit/UITableView.h"

namespace uikit {

objc::Class UITableView::objcClass() {
    static objc::Class cls = objc::objc_registerClass(
        "UITableView", UIView::objcClass(), [](objc::Class isa) { return std::make_shared<UITableView>(isa); });
    return cls;
}

std::shared_ptr<UITableView> UITableView::create(CGRect frame) {
    auto table = std::make_shared<UITableView>();
    table->initWithFrame(frame);
    return table;
}

}  // namespace uikit
