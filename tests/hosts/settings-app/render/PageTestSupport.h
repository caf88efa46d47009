// Pages opened as the Settings app opens them, in the test process, and
// composed into screens at a width: the fixture the golden dumps, the
// geometry checks and the picture checks share.
#pragma once

#include "hosts/settings-app/render/PageScreen.h"
#include "tests/prefs/PrefsTestSupport.h"

#include <filesystem>
#include <memory>
#include <string>

namespace pagetest {

// AlbumChoice: the list the configuration page's album row opens.
enum class Page { Root, Configuration, Makers, AlbumChoice };
const char* pageName(Page page);

struct OpenPage {
    prefstest::ShownPage shown;
    std::shared_ptr<preferences::PSListController> top;
};

class PageScreenTest : public prefstest::SettingsPageTest {
protected:
    // The settings device with the bundle, English, a phone, and the test
    // running in the device root as the Settings app runs in "/", so that the
    // product icons' relative paths resolve.
    void SetUp() override;
    void TearDown() override;

    // Opens the first page and follows the links to the page; the title
    // logo has faded in when it returns.
    OpenPage open(Page page);
    // The open page's screen at `width`. The header's random line is pinned
    // to the first of its texts, so that a screen is the same at every run.
    settingsapp::PageScreen compose(OpenPage& page, double width);

    static void setPad(bool pad);

private:
    std::filesystem::path previousDirectory_;
};

// The frame of `view` in the coordinates of the screen's root.
uikit::CGRect frameOnScreen(const uikit::UIView& view);
// Every view of a class in the tree, in drawing order.
template <typename View>
std::vector<View*> viewsOfClass(uikit::UIView& root) {
    std::vector<View*> found;
    if (auto* match = dynamic_cast<View*>(&root)) found.push_back(match);
    for (const auto& subview : root.subviews()) {
        auto below = viewsOfClass<View>(*subview);
        found.insert(found.end(), below.begin(), below.end());
    }
    return found;
}

}  // namespace pagetest
