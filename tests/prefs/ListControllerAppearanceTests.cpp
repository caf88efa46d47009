// The page's colours, the version window of the bar it styles, and the
// status-bar style it keeps while it shows.
#include "tests/prefs/PrefsTestSupport.h"

#include "platform/foundation/CoreFoundationVersion.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UISwitch.h"
#include "prefs/SettingsFile.h"
#include "prefs/SnapfoldListController.h"
#include "prefs/VeltronaSnapfoldConfigurationListController.h"

namespace {

using uikit::UIColor;

class ListControllerAppearanceTest : public prefstest::SettingsPageTest {
protected:
    std::shared_ptr<SnapfoldListController> makePage() {
        auto page = SnapfoldListController::create();
        page->setBundle(foundation::NSBundle::bundleWithPath(snapfold::prefs::kBundlePath));
        return page;
    }
    static bool isStyled(uikit::UINavigationBar& bar) {
        const auto& title = bar.titleTextAttributes();
        return uikit::sameColor(bar.tintColor(), UIColor::whiteColor()) &&
               uikit::sameColor(bar.barTintColor(), UIColor::colorWithRed(0.016, 0.369, 0.325, 1)) && title &&
               title->size() == 1 &&
               uikit::sameColor(title->at(uikit::NSForegroundColorAttributeName), UIColor::whiteColor());
    }
    static bool isCleared(uikit::UINavigationBar& bar) {
        return !bar.tintColor() && !bar.barTintColor() && !bar.titleTextAttributes();
    }
};

TEST_F(ListControllerAppearanceTest, WithinTheVersionWindowTheOuterBarIsStyled) {
    for (double version : {1140.1, 1141.18}) {
        foundation::setCoreFoundationVersionNumberForTesting(version);
        auto shown = prefstest::showPage(makePage());
        EXPECT_TRUE(isStyled(shown.outer->navigationBar())) << version;
        EXPECT_TRUE(isCleared(shown.inner->navigationBar())) << version;
    }
}

TEST_F(ListControllerAppearanceTest, OutsideTheVersionWindowThePagesOwnBarIsStyled) {
    for (double version : {1141.19, 1140.0, foundation::kCFCoreFoundationVersionNumber_iOS_9_0}) {
        foundation::setCoreFoundationVersionNumberForTesting(version);
        auto shown = prefstest::showPage(makePage());
        EXPECT_TRUE(isStyled(shown.inner->navigationBar())) << version;
        EXPECT_TRUE(isCleared(shown.outer->navigationBar())) << version;
    }
}

TEST_F(ListControllerAppearanceTest, LeavingThePageClearsTheBarColours) {
    for (double version : {1141.18, 1141.19}) {
        foundation::setCoreFoundationVersionNumberForTesting(version);
        auto page = makePage();
        auto shown = prefstest::showPage(page);
        page->viewWillDisappear(true);
        EXPECT_TRUE(isCleared(shown.outer->navigationBar())) << version;
        EXPECT_TRUE(isCleared(shown.inner->navigationBar())) << version;
    }
}

TEST_F(ListControllerAppearanceTest, TheStatusBarStyleFoundIsRestored) {
    auto& application = uikit::UIApplication::sharedApplication();
    application.setStatusBarStyle(3);
    auto page = makePage();
    auto shown = prefstest::showPage(page);
    EXPECT_EQ(application.statusBarStyle(), uikit::UIStatusBarStyleLightContent);
    EXPECT_EQ(page->prevStatusStyle(), 3);
    page->viewWillDisappear(false);
    EXPECT_EQ(application.statusBarStyle(), 3);
}

TEST_F(ListControllerAppearanceTest, PushingASubPageAndComingBackKeepsLightContent) {
    auto& application = uikit::UIApplication::sharedApplication();
    auto root = makePage();
    auto shown = prefstest::showPage(root);
    auto link = root->specifierForID("Configuration");
    ASSERT_TRUE(link) << "the configuration link row";
    shown.inner->pushViewController(root->controllerForSpecifier(link), true);
    EXPECT_EQ(application.statusBarStyle(), uikit::UIStatusBarStyleLightContent);
    shown.inner->popViewControllerAnimated(true);
    EXPECT_EQ(application.statusBarStyle(), uikit::UIStatusBarStyleLightContent);
    shown.inner->topViewController()->viewWillDisappear(false);
    EXPECT_EQ(application.statusBarStyle(), uikit::UIStatusBarStyleDefault);
}

TEST_F(ListControllerAppearanceTest, EachPageClassColoursItsOwnSwitches) {
    auto shown = prefstest::showPage(makePage());
    EXPECT_TRUE(
        uikit::sameColor(uikit::UISwitch::appearanceOnTintColorForContainer(SnapfoldListController::objcClass()),
                         UIColor::colorWithRed(0.165, 0.608, 0.557, 1)));
    EXPECT_FALSE(
        uikit::UISwitch::appearanceOnTintColorForContainer(VeltronaSnapfoldConfigurationListController::objcClass()));
}

TEST_F(ListControllerAppearanceTest, EveryRowTitleIsDarkBlue) {
    auto page = makePage();
    auto shown = prefstest::showPage(page);
    auto table = page->table();
    auto sections = page->sections();
    int rows = 0;
    for (std::size_t s = 0; s < sections.size(); ++s)
        for (std::size_t r = 0; r < sections[s].rows.size(); ++r) {
            auto cell = page->tableViewCellForRowAtIndexPath(*table, {static_cast<long>(s), static_cast<long>(r)});
            ASSERT_TRUE(cell);
            EXPECT_TRUE(
                uikit::sameColor(cell->textLabel()->textColor(), UIColor::colorWithRed(0.0863, 0.1412, 0.2, 1)));
            ++rows;
        }
    EXPECT_GT(rows, 3);
}

}  // namespace
