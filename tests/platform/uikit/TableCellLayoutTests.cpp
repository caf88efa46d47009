// A table cell's standard views, placed by the cell's own layoutSubviews:
// title, detail, accessory view and disclosure indicator.
#include "platform/uikit/UISwitch.h"
#include "platform/uikit/UITableViewCell.h"
#include "platform/uikit/layout/ConstraintLayout.h"

#include <gtest/gtest.h>

namespace {

using namespace uikit;

std::shared_ptr<UITableViewCell> makeCell(long style, double width, const std::string& title,
                                          const std::string& detail) {
    auto cell = UITableViewCell::create(style, "cell");
    cell->setFrame(CGRectMake(0, 0, width, 44));
    cell->textLabel()->setText(title);
    cell->detailTextLabel()->setText(detail);
    return cell;
}

TEST(TableCellLayoutTest, ValueStyleTitleLeftDetailRightBothCentred) {
    auto cell = makeCell(UITableViewCellStyleValue1, 375, "Album name", "WhatsApp");
    ASSERT_TRUE(layoutViewTree(*cell).ok());
    CGRect title = cell->textLabel()->frame(), detail = cell->detailTextLabel()->frame();
    EXPECT_DOUBLE_EQ(title.minX(), UITableViewCell::kMargin);
    EXPECT_DOUBLE_EQ(title.midY(), 22);
    EXPECT_EQ(title.size, cell->textLabel()->intrinsicContentSize());
    EXPECT_DOUBLE_EQ(detail.maxX(), 375 - UITableViewCell::kMargin);
    EXPECT_DOUBLE_EQ(detail.midY(), 22);
    EXPECT_FALSE(cell->detailTextLabel()->isHidden());
    EXPECT_EQ(cell->contentView()->frame(), CGRectMake(0, 0, 375, 44));
}

TEST(TableCellLayoutTest, DefaultStyleHidesTheDetailAndASwitchSitsAtTheTrailingEdge) {
    auto cell = makeCell(UITableViewCellStyleDefault, 320, "Enabled", "on");
    auto control = UISwitch::create();
    cell->setAccessoryView(control);
    cell->addSubview(control);
    ASSERT_TRUE(layoutViewTree(*cell).ok());
    EXPECT_TRUE(cell->detailTextLabel()->isHidden()) << "the default style has no detail";
    EXPECT_EQ(control->frame(), CGRectMake(320 - 15 - 51, 6.5, 51, 31));
    EXPECT_DOUBLE_EQ(cell->contentView()->frame().size.width, control->frame().minX());
}

TEST(TableCellLayoutTest, TheDisclosureIndicatorNarrowsTheContentAndTheDetailEndsBeforeIt) {
    auto cell = makeCell(UITableViewCellStyleValue1, 375, "Album", "WhatsApp");
    cell->setAccessoryType(UITableViewCellAccessoryDisclosureIndicator);
    ASSERT_TRUE(layoutViewTree(*cell).ok());
    double contentWidth = 375 - UITableViewCell::kMargin - UITableViewCell::kDisclosureWidth -
                          UITableViewCell::kDisclosureGap;
    EXPECT_DOUBLE_EQ(cell->contentView()->frame().size.width, contentWidth);
    EXPECT_DOUBLE_EQ(cell->detailTextLabel()->frame().maxX(), contentWidth);
}

TEST(TableCellLayoutTest, ALongValueIsCutToTheRoomBesideTheWholeTitle) {
    auto cell = makeCell(UITableViewCellStyleValue1, 375, "Album name",
                         "Pictures from the family group chat, summer 2015");
    ASSERT_TRUE(layoutViewTree(*cell).ok());
    CGRect title = cell->textLabel()->frame(), detail = cell->detailTextLabel()->frame();
    EXPECT_EQ(title.size, cell->textLabel()->intrinsicContentSize());
    EXPECT_LT(detail.size.width, cell->detailTextLabel()->intrinsicContentSize().width);
    EXPECT_DOUBLE_EQ(title.maxX() + UITableViewCell::kMargin, detail.minX());
    EXPECT_DOUBLE_EQ(detail.maxX(), 375 - UITableViewCell::kMargin);
}

TEST(TableCellLayoutTest, SubtitleStyleStacksTheDetailUnderTheTitle) {
    auto cell = makeCell(UITableViewCellStyleSubtitle, 320, "Title", "Subtitle");
    ASSERT_TRUE(layoutViewTree(*cell).ok());
    CGRect title = cell->textLabel()->frame(), detail = cell->detailTextLabel()->frame();
    EXPECT_DOUBLE_EQ(detail.minY(), title.maxY());
    EXPECT_DOUBLE_EQ(detail.minX(), title.minX());
    EXPECT_NEAR((title.minY() + detail.maxY()) / 2, 22, 1e-9);
}

}  // namespace
