#include "tests/hosts/settings-app/render/PageTestSupport.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSBundleResources.h"
#include "platform/uikit/NSRunLoop.h"
#include "platform/uikit/UIDevice.h"
#include "prefs/SettingsFile.h"
#include "prefs/SnapfoldListController.h"
#include "prefs/views/VeltronaSnapfoldCustomHeaderView.h"

namespace pagetest {

const char* pageName(Page page) {
    switch (page) {
    case Page::Root: return "root";
    case Page::Configuration: return "configuration";
    case Page::Makers: return "makers";
    case Page::AlbumChoice: return "album-choice";
    }
    return "?";
}

void PageScreenTest::SetUp() {
    SettingsPageTest::SetUp();
    std::error_code ec;
    previousDirectory_ = std::filesystem::current_path(ec);
    std::filesystem::current_path(foundation::deviceRoot(), ec);
    ASSERT_FALSE(ec) << "cannot enter the device root: " << ec.message();
}

void PageScreenTest::TearDown() {
    std::error_code ec;
    std::filesystem::current_path(previousDirectory_, ec);
    SettingsPageTest::TearDown();
}

OpenPage PageScreenTest::open(Page page) {
    auto root = SnapfoldListController::create();
    root->setBundle(foundation::NSBundle::bundleWithPath(snapfold::prefs::kBundlePath));
    // The Settings app titles the first page by its entry's label.
    root->setTitle("Snapfold");
    OpenPage opened{prefstest::showPage(root), root};
    auto& loop = uikit::NSRunLoop::mainRunLoop();
    loop.runUntilDate(loop.currentTime() + 1.0);
    if (page == Page::Root) return opened;
    auto follow = [&](const char* row) {
        auto link = opened.top->specifierForID(row);
        EXPECT_TRUE(link) << "the page has a row " << row;
        auto next = link ? opened.top->controllerForSpecifier(link) : nullptr;
        EXPECT_TRUE(next) << row << " opens a page";
        if (!next) return false;
        opened.shown.inner->pushViewController(next, false);
        loop.runUntilDate(loop.currentTime() + 1.0);
        opened.top = next;
        return true;
    };
    if (page == Page::Makers) follow("Makers");
    if (page == Page::Configuration || page == Page::AlbumChoice) follow("Configuration");
    if (page == Page::AlbumChoice && opened.top != root) follow("albumName");
    return opened;
}

settingsapp::PageScreen PageScreenTest::compose(OpenPage& page, double width) {
    settingsapp::ScreenOptions options;
    options.width = width;
    options.prepareHeaderView = [](uikit::UIView& header, long) {
        if (auto* banner = dynamic_cast<VeltronaSnapfoldCustomHeaderView*>(&header))
            banner->randomLabel()->setText(banner->randomTexts().front());
    };
    return settingsapp::composePageScreen(*page.top,
                                          settingsapp::navigationBarShowing(*page.shown.outer, *page.shown.inner),
                                          settingsapp::backButtonTitle(*page.shown.outer, *page.shown.inner), options);
}

void PageScreenTest::setPad(bool pad) {
    uikit::UIDevice::setIdiomForTesting(pad ? uikit::UIDevice::IdiomOverride::Pad
                                            : uikit::UIDevice::IdiomOverride::Phone);
}

uikit::CGRect frameOnScreen(const uikit::UIView& view) {
    uikit::CGRect frame = view.frame();
    for (const uikit::UIView* above = view.superview(); above && above->superview(); above = above->superview()) {
        frame.origin.x += above->frame().origin.x;
        frame.origin.y += above->frame().origin.y;
    }
    return frame;
}

}  // namespace pagetest
