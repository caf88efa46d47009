#include "platform/uikit/UITableViewCell.h"

#include <algorithm>

namespace uikit {

objc::Class UITableViewCell::objcClass() {
    static objc::Class cls = objc::objc_registerClass("UITableViewCell", UIView::objcClass(),
                                                      [](objc::Class isa) { return objc::make<UITableViewCell>(isa); });
    return cls;
}

std::shared_ptr<UITableViewCell> UITableViewCell::create(long style, std::string reuseIdentifier) {
    return objc::make<UITableViewCell>()->initWithStyle(style, std::move(reuseIdentifier));
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
    setFrame(frame);
    return cell;
}

void UITableViewCell::setSelected(bool selected, bool animated) {
    selected_ = selected;
    selectionCalls_.push_back({selected, animated});
}

void UITableViewCell::layoutSubviews() {
    CGRect bounds = this->bounds();
    // 1. The accessory, and what it leaves for the content.
    double contentWidth = bounds.size.width;
    bool trailingAccessory = false;
    if (accessoryView_ && accessoryView_->superview() == this) {
        CGSize size = accessoryView_->frame().size;
        double x = bounds.size.width - kMargin - size.width;
        accessoryView_->setFrame(CGRectMake(x, (bounds.size.height - size.height) / 2, size.width, size.height));
        contentWidth = x;
        trailingAccessory = true;
    } else if (accessoryType_ == UITableViewCellAccessoryDisclosureIndicator) {
        contentWidth = bounds.size.width - kMargin - kDisclosureWidth - kDisclosureGap;
        trailingAccessory = true;
    } else if (accessoryType_ == UITableViewCellAccessoryCheckmark) {
        contentWidth = bounds.size.width - kMargin - kCheckmarkWidth - kDisclosureGap;
        trailingAccessory = true;
    }
    if (!contentView_) return;
    contentView_->setFrame(CGRectMake(0, 0, std::max(contentWidth, 0.0), bounds.size.height));

    // 2. The labels inside the content view.
    double available = std::max(contentWidth - kMargin - (trailingAccessory ? 0 : kMargin), 0.0);
    bool showsDetail = style_ != UITableViewCellStyleDefault && !detailTextLabel_->text().empty();
    detailTextLabel_->setHidden(style_ == UITableViewCellStyleDefault);
    CGSize title = textLabel_->intrinsicContentSize();
    CGSize detail = showsDetail ? detailTextLabel_->intrinsicContentSize() : CGSize{};
    if (style_ == UITableViewCellStyleSubtitle && showsDetail) {
        double top = (bounds.size.height - title.height - detail.height) / 2;
        textLabel_->setFrame(CGRectMake(kMargin, top, std::min(title.width, available), title.height));
        detailTextLabel_->setFrame(
            CGRectMake(kMargin, top + title.height, std::min(detail.width, available), detail.height));
        return;
    }
    // The title is what names the row, so it keeps its width; the value
    // gets what is left and is cut short with an ellipsis when drawn.
    double titleWidth = std::min(title.width, available);
    double detailWidth = std::min(detail.width, std::max(available - titleWidth - kMargin, 0.0));
    textLabel_->setFrame(CGRectMake(kMargin, (bounds.size.height - title.height) / 2, titleWidth, title.height));
    if (showsDetail) {
        double right = contentWidth - (trailingAccessory ? 0 : kMargin);
        detailTextLabel_->setFrame(
            CGRectMake(right - detailWidth, (bounds.size.height - detail.height) / 2, detailWidth, detail.height));
    } else {
        detailTextLabel_->setFrame(CGRectZero);
    }
}

std::string UITableViewCell::dumpDetails() const {
    std::string details = "style=" + std::to_string(style_);
    if (accessoryType_ == UITableViewCellAccessoryDisclosureIndicator) details += " accessory=disclosure";
    if (accessoryType_ == UITableViewCellAccessoryCheckmark) details += " accessory=checkmark";
    return details;
}

}  // namespace uikit
