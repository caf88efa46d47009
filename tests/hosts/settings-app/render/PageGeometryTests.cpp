// What the solver makes of the pages' own constraints, on the screens the
// Settings app shows them on: the banner's three lines, the logo, the
// developer and product rows, at phone and pad widths.
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "prefs/views/VeltronaSnapfoldCustomHeaderView.h"
#include "prefs/views/VeltronaSnapfoldDeveloperTableCell.h"
#include "prefs/views/VeltronaSnapfoldDeveloperUpSellCell.h"
#include "prefs/views/VeltronaSnapfoldLogoTableCell.h"
#include "tests/hosts/settings-app/render/PageTestSupport.h"

namespace {

using pagetest::Page;
using pagetest::viewsOfClass;

class PageGeometryTest : public pagetest::PageScreenTest {};

TEST_F(PageGeometryTest, TheBannerStacksItsLinesBelowAFifthOfItsHeightAtEveryWidth) {
    for (bool pad : {false, true}) {
        setPad(pad);
        for (double width : {320.0, 375.0, 414.0, 768.0, 1024.0}) {
            auto page = open(Page::Root);
            auto screen = compose(page, width);
            ASSERT_TRUE(screen.layout.ok()) << screen.layout.describe();
            auto banners = viewsOfClass<VeltronaSnapfoldCustomHeaderView>(*screen.root);
            ASSERT_EQ(banners.size(), 1u);
            auto* banner = banners[0];
            ASSERT_EQ(banner->frame().size.height, 140);
            auto header = banner->headerLabel()->frame(), sub = banner->subHeaderLabel()->frame(),
                 random = banner->randomLabel()->frame();
            EXPECT_DOUBLE_EQ(header.minY(), 28) << width;
            EXPECT_DOUBLE_EQ(sub.minY(), header.maxY() + 5) << width;
            EXPECT_DOUBLE_EQ(random.minY(), sub.maxY() + 5) << width;
            for (const auto& frame : {header, sub, random}) {
                EXPECT_DOUBLE_EQ(frame.midX(), width / 2);
                EXPECT_GT(frame.size.width, 0);
            }
            // The larger type of the pad gives taller lines.
            EXPECT_EQ(banner->headerLabel()->font()->pointSize(), pad ? 44 : 36);
        }
    }
}

TEST_F(PageGeometryTest, TheLogoIsCentredAtEveryWidthAndKeepsTheTopOfItsFrame) {
    for (double width : {320.0, 375.0, 414.0, 768.0, 1024.0}) {
        auto page = open(Page::Root);
        auto screen = compose(page, width);
        ASSERT_TRUE(screen.layout.ok()) << screen.layout.describe();
        auto cells = viewsOfClass<VeltronaSnapfoldLogoTableCell>(*screen.root);
        ASSERT_EQ(cells.size(), 1u);
        const auto& logo = cells[0]->logoImageView()->frame();
        EXPECT_DOUBLE_EQ(logo.midX(), width / 2);
        EXPECT_DOUBLE_EQ(logo.minY(), 0) << "no constraint places it vertically";
        EXPECT_GT(logo.maxY(), cells[0]->frame().size.height) << "it reaches below its 30-point header";
        EXPECT_GE(screen.root->frame().size.height, pagetest::frameOnScreen(*cells[0]->logoImageView()).maxY())
            << "the screen grows to show it";
    }
}

TEST_F(PageGeometryTest, TheMakersRowsPlaceTheirLinesBesideThePortraitAndIcon) {
    for (bool pad : {false, true}) {
        setPad(pad);
        double width = pad ? settingsapp::kPadScreenWidth : settingsapp::kPhoneScreenWidth;
        auto page = open(Page::Makers);
        auto screen = compose(page, width);
        ASSERT_TRUE(screen.layout.ok()) << screen.layout.describe();

        auto developers = viewsOfClass<VeltronaSnapfoldDeveloperTableCell>(*screen.root);
        ASSERT_EQ(developers.size(), 1u);
        auto* developer = developers[0];
        double middle = developer->frame().size.height / 2;
        for (const auto& line : {developer->devNameLabel(), developer->realNameLabel(), developer->jobLabel()})
            EXPECT_DOUBLE_EQ(line->frame().minX(), 110);
        EXPECT_DOUBLE_EQ(developer->devNameLabel()->frame().midY(), middle - 20);
        EXPECT_DOUBLE_EQ(developer->realNameLabel()->frame().minY(), developer->devNameLabel()->frame().maxY());
        EXPECT_DOUBLE_EQ(developer->jobLabel()->frame().minY(), developer->realNameLabel()->frame().maxY() + 5);
        EXPECT_EQ(developer->devImageView()->frame(), uikit::CGRectMake(10, 15, 70, 70));

        auto products = viewsOfClass<VeltronaSnapfoldDeveloperUpSellCell>(*screen.root);
        ASSERT_EQ(products.size(), 1u);
        auto* product = products[0];
        double centre = product->frame().size.height / 2;
        EXPECT_DOUBLE_EQ(product->productNameLabel()->frame().minX(), 59);
        EXPECT_DOUBLE_EQ(product->productPriceLabel()->frame().maxX(), width - 30);
        EXPECT_DOUBLE_EQ(product->productNameLabel()->frame().midY(), centre + 1);
        EXPECT_DOUBLE_EQ(product->productPriceLabel()->frame().midY(), centre + 1);
    }
}

TEST_F(PageGeometryTest, RowsAndSectionsFollowEachOtherDownTheTable) {
    auto page = open(Page::Configuration);
    auto screen = compose(page, 375);
    ASSERT_TRUE(screen.layout.ok());
    auto cells = viewsOfClass<uikit::UITableViewCell>(*screen.root);
    ASSERT_EQ(cells.size(), 2u);
    for (auto* cell : cells) {
        EXPECT_EQ(cell->frame().size, (uikit::CGSize{375, 44}));
        EXPECT_DOUBLE_EQ(cell->textLabel()->frame().minX(), 15);
        EXPECT_DOUBLE_EQ(cell->textLabel()->frame().midY(), 22);
    }
    EXPECT_GT(cells[1]->frame().minY(), cells[0]->frame().maxY()) << "the second section starts below the first";
    auto switches = viewsOfClass<uikit::UISwitch>(*screen.root);
    ASSERT_EQ(switches.size(), 1u);
    EXPECT_DOUBLE_EQ(switches[0]->frame().maxX(), 375 - 15);
    EXPECT_DOUBLE_EQ(cells[1]->detailTextLabel()->frame().maxX(), cells[1]->contentView()->frame().maxX())
        << "the chosen album ends where the disclosure indicator's room begins";
}

}  // namespace
