// A settings page as the screen shows it, built as a view tree: the status
// bar, the navigation bar with the page's title view or title, its back and
// right buttons, and the page's grouped table (each section's header view
// or title, its rows' cells, its footer text) on the table's background.
// The page's own header views and cells are placed in it as the table would
// place them and laid out by the constraint solver, so the tree holds the
// frames the phone would show. The renderer draws it; the dumps print it.
#pragma once

#include "platform/preferences/PSListController.h"
#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/layout/ConstraintLayout.h"

#include <functional>
#include <optional>
#include <string>

namespace settingsapp {

struct ScreenOptions {
    // In points: 375 is the width of the default phone, 768 of a pad.
    double width = 375;
    // Pixels per point of the bar glyphs drawn for the screen.
    double glyphScale = 2;
    // Called with each header view the page makes, before it is laid out.
    std::function<void(uikit::UIView& header, long section)> prepareHeaderView;
};

struct PageScreen {
    uikit::UIViewRef root;
    // Every view in the tree that the solver could not place.
    uikit::LayoutReport layout;
};

// The screen of `page`, with `bar` (the navigation bar showing it) and a
// back button titled `backTitle` when there is a page to go back to.
PageScreen composePageScreen(preferences::PSListController& page, const uikit::UINavigationBar& bar,
                             const std::optional<std::string>& backTitle, const ScreenOptions& options = {});

// The bar that shows the page: the one the page coloured (the app's own on
// systems that nest the pages' navigation controller in it), else the pages'.
const uikit::UINavigationBar& navigationBarShowing(uikit::UINavigationController& outer,
                                                   uikit::UINavigationController& inner);
// What the back button of the top page of `inner` says: the title of the
// page below it, else of the app's page below `inner`; "Back" for a page
// without a title, nothing when there is nowhere to go back to.
std::optional<std::string> backButtonTitle(const uikit::UINavigationController& outer,
                                           const uikit::UINavigationController& inner);

// Widths the Settings host renders at by default.
inline constexpr double kPhoneScreenWidth = 375;
inline constexpr double kPadScreenWidth = 768;

}  // namespace settingsapp
