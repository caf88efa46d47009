// The banner view above the first section and the logo cell above the fifth.
#include "tests/prefs/PrefsTestSupport.h"

#include "platform/uikit/UIDevice.h"
#include "prefs/views/VeltronaSnapfoldCustomHeaderView.h"
#include "prefs/views/VeltronaSnapfoldLogoTableCell.h"

#include <map>

namespace {

using uikit::UIDevice;

std::shared_ptr<VeltronaSnapfoldCustomHeaderView> makeHeader() {
    auto header = VeltronaSnapfoldCustomHeaderView::create();
    EXPECT_TRUE(header && header->headerLabel() && header->headerLabel()->superview() == header.get())
        << "the labels are built into the view that is answered";
    return header;
}

class HeaderViewTest : public prefstest::SettingsPageTest {};

TEST_F(HeaderViewTest, FontSizesFollowTheDeviceIdiom) {
    struct Case {
        UIDevice::IdiomOverride idiom;
        double header, subHeader;
    };
    for (const auto& [idiom, header, subHeader] :
         {Case{UIDevice::IdiomOverride::Pad, 44, 22}, Case{UIDevice::IdiomOverride::Phone, 36, 17},
          Case{UIDevice::IdiomOverride::NotAnswered, 36, 17}}) {
        UIDevice::setIdiomForTesting(idiom);
        auto view = makeHeader();
        EXPECT_EQ(view->headerLabel()->font()->pointSize(), header);
        EXPECT_EQ(view->subHeaderLabel()->font()->pointSize(), subHeader);
        EXPECT_EQ(view->randomLabel()->font()->pointSize(), 15);
    }
}

TEST_F(HeaderViewTest, LabelsAreGreyCentredSingleLinesOnClear) {
    auto view = makeHeader();
    EXPECT_EQ(view->frame(), uikit::CGRectZero);
    EXPECT_FALSE(view->backgroundColor());
    ASSERT_EQ(view->subviews().size(), 3u);
    for (uikit::UILabel* label : {view->headerLabel(), view->subHeaderLabel(), view->randomLabel()}) {
        ASSERT_TRUE(label);
        EXPECT_EQ(label->superview(), view.get());
        EXPECT_EQ(label->font()->fontName(), "HelveticaNeue-Light");
        EXPECT_EQ(label->numberOfLines(), 1);
        EXPECT_EQ(label->textAlignment(), uikit::NSTextAlignmentCenter);
        EXPECT_TRUE(uikit::sameColor(label->textColor(), uikit::UIColor::grayColor()));
        EXPECT_TRUE(uikit::sameColor(label->backgroundColor(), uikit::UIColor::clearColor()));
        EXPECT_FALSE(label->translatesAutoresizingMaskIntoConstraints());
    }
    EXPECT_EQ(view->headerLabel()->text(), "Snapfold");
    EXPECT_EQ(view->subHeaderLabel()->text(), "An Awesome Cydia Substrate Tweak!");
}

TEST_F(HeaderViewTest, EachOfTheNineTextsTurnsUpAboutOneTimeInNine) {
    constexpr int kViews = 9000;
    auto texts = makeHeader()->randomTexts();
    ASSERT_EQ(texts.size(), 9u);
    std::map<std::string, int> seen;
    for (int i = 0; i < kViews; ++i) ++seen[makeHeader()->randomLabel()->text()];
    EXPECT_EQ(seen.size(), 9u);
    for (const auto& text : texts) {
        // Expected 1000 each, standard deviation about 31: a bias towards
        // some rows (modulo bias, an off-by-one bound) leaves this band.
        EXPECT_GT(seen[text], 850) << text;
        EXPECT_LT(seen[text], 1150) << text;
    }
    EXPECT_EQ(seen.count(""), 0u);
    EXPECT_EQ(seen.count(VeltronaSnapfoldCustomHeaderView::kTagline), 0u);
}

TEST_F(HeaderViewTest, RandomTextsAreEqualButSeparateArrays) {
    auto view = makeHeader();
    auto first = view->randomTexts();
    auto second = view->randomTexts();
    EXPECT_EQ(first, second);
    first[0] = "changed";
    EXPECT_NE(view->randomTexts()[0], "changed");
}

TEST_F(HeaderViewTest, TheThreeLinesAreCentredAndStackedFromAFifthOfTheHeightDown) {
    auto view = makeHeader();
    std::vector<std::string> described;
    for (const auto& constraint : view->constraints())
        described.push_back(uikit::describeConstraint(*constraint, *view));
    EXPECT_EQ(described, (std::vector<std::string>{
                             "subview[0].top == self.bottom * 0.2 + 0",
                             "subview[0].centerX == self.centerX * 1 + 0",
                             "subview[1].top == subview[0].bottom * 1 + 5",
                             "subview[1].centerX == self.centerX * 1 + 0",
                             "subview[2].top == subview[1].bottom * 1 + 5",
                             "subview[2].centerX == self.centerX * 1 + 0",
                         }));
}

TEST_F(HeaderViewTest, AtTheRootPagesHeightTheLinesStackBelowAFifth) {
    auto view = makeHeader();
    view->setFrame(uikit::CGRectMake(0, 0, 320, 140));
    view->layoutIfNeeded();
    auto header = view->headerLabel()->frame(), sub = view->subHeaderLabel()->frame(),
         random = view->randomLabel()->frame();
    EXPECT_DOUBLE_EQ(header.minY(), 28);
    EXPECT_DOUBLE_EQ(sub.minY(), header.maxY() + 5);
    EXPECT_DOUBLE_EQ(random.minY(), sub.maxY() + 5);
    for (const auto& frame : {header, sub, random}) {
        EXPECT_DOUBLE_EQ(frame.midX(), 160);
        EXPECT_GT(frame.size.width, 0);
    }
}

class LogoCellTest : public prefstest::SettingsPageTest {
protected:
    std::shared_ptr<VeltronaSnapfoldLogoTableCell> makeCell() {
        auto cell = VeltronaSnapfoldLogoTableCell::create();
        EXPECT_TRUE(cell && cell->logoImageView() && cell->logoImageView()->superview() == cell.get())
            << "the logo view is built into the cell that is answered";
        return cell;
    }
};

TEST_F(LogoCellTest, TheLogoViewIsFramedShadowedAndUnclipped) {
    auto cell = makeCell();
    const auto& logo = cell->logoImageView();
    ASSERT_TRUE(logo);
    EXPECT_TRUE(logo->image()) << "footerLogo.png is in the bundle";
    EXPECT_EQ(logo->superview(), cell.get());
    EXPECT_EQ(logo->frame(), uikit::CGRectMake(0, 0, 80, 80));
    EXPECT_TRUE(uikit::sameColor(logo->layer().shadowColor, uikit::UIColor::blackColor()));
    EXPECT_EQ(logo->layer().shadowOffset, (uikit::CGSize{0, 1}));
    EXPECT_DOUBLE_EQ(logo->layer().shadowOpacity, 0.2);
    EXPECT_DOUBLE_EQ(logo->layer().shadowRadius, 1);
    EXPECT_FALSE(logo->clipsToBounds());
    EXPECT_FALSE(logo->translatesAutoresizingMaskIntoConstraints());
    ASSERT_EQ(cell->constraints().size(), 1u);
    auto index = std::find(cell->subviews().begin(), cell->subviews().end(), logo) - cell->subviews().begin();
    EXPECT_EQ(uikit::describeConstraint(*cell->constraints()[0], *cell),
              "subview[" + std::to_string(index) + "].centerX == self.centerX * 1 + 0");
}

TEST_F(LogoCellTest, TheLogoIsCentredAtAnyWidthAndOverhangsItsHeader) {
    for (double width : {320.0, 375.0, 768.0}) {
        auto cell = makeCell();
        cell->setFrame(uikit::CGRectMake(0, 0, width, 30));
        cell->layoutIfNeeded();
        EXPECT_DOUBLE_EQ(cell->logoImageView()->frame().midX(), width / 2);
        EXPECT_GT(cell->logoImageView()->frame().maxY(), cell->frame().size.height);
    }
}

}  // namespace
