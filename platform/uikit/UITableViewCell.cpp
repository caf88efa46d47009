#include "platform/uikit/UITableViewCell.h"

namespace uikit {

objc::Class UITableViewCell::objcClass() {
    static objc::Class cls = objc::objc_registerClass(
        "UITableViewCell", UIView::objcClass(), [](objc::Class isa) { return std::make_shared<UITableViewCell>(isa); });
    return cls;
}

void UITableViewCell::buildStandardViews(CGRect frame) {
    UIView::initWithFrame(frame);
    contentView_ = UIView::create(bounds());
    textLabel_ = UILabel::create();
    detailTextLabel_ = UILabel::create();
    detailTextLabel_->setTextColor(UIColor::grayColor());
    contentView_->addSubview(textLabel_);
    contentView_->addSubview(detailTextLabel_);
    addSubview(contentView_);
}

std::shared_ptr<UITableViewCell> UITableViewCell::initWithStyle(long style, std::string reuseIdentifier) {
    buildStandardViews(CGRectMake(0, 0, 320, 44));
    style_ = style;
    reuseIdentifier_ = std::move(reuseIdentifier);
    return std::static_pointer_cast<UITableViewCell>(retain());
}

std::shared_ptr<UIView> UITableViewCell::initWithFrame(CGRect frame) {
    auto cell = initWithStyle(UITableViewCellStyleDefault, "");
    if (cell) setFrame(frame);
    return cell;
}

void UITableViewCell::setSelected(bool selected, bool) { selected_ = selected; }

}  // namespace uikit
