#include "hosts/settings-app/render/PageScreen.h"

#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/render/SystemGlyphs.h"
#include "platform/uikit/render/ViewRenderer.h"

#include <glib.h>

#include <algorithm>
#include <functional>

namespace settingsapp {

namespace {

using uikit::CGRectMake;
using uikit::UIColor;
using uikit::UIColorRef;
using uikit::UIView;
using uikit::UIViewRef;

// The grouped table of the platform's Settings pages.
constexpr double kStatusBarHeight = 20;
constexpr double kNavigationBarHeight = 44;
constexpr double kRowHeight = 44;
constexpr double kFirstHeaderHeight = 35;
constexpr double kHeaderHeight = 17;
constexpr double kTitledHeaderHeight = 38;
constexpr double kHeaderTitleBaselineGap = 7;
constexpr double kFooterTopGap = 7;
constexpr double kFooterBottomGap = 17;
constexpr double kEmptyFooterHeight = 17;
constexpr double kSectionTextSize = 13;
constexpr double kHairline = 0.5;

UIColorRef groupedBackgroundColor() { return UIColor::colorWithRed(239 / 255.0, 239 / 255.0, 244 / 255.0, 1); }
UIColorRef sectionTextColor() { return UIColor::colorWithRed(109 / 255.0, 109 / 255.0, 114 / 255.0, 1); }
UIColorRef separatorColor() { return UIColor::colorWithRed(200 / 255.0, 199 / 255.0, 204 / 255.0, 1); }
UIColorRef defaultBarColor() { return UIColor::colorWithWhite(0.969, 1); }

UIViewRef makeView(uikit::CGRect frame, std::string identifier, UIColorRef background = nullptr) {
    auto view = UIView::create(frame);
    view->setAccessibilityIdentifier(std::move(identifier));
    view->setBackgroundColor(std::move(background));
    return view;
}

uikit::UILabelRef makeLabel(std::string text, const char* fontName, double size, UIColorRef color) {
    auto label = uikit::UILabel::create();
    label->setText(std::move(text));
    label->setFont(uikit::UIFont::fontWithName(fontName, size));
    label->setTextColor(std::move(color));
    return label;
}

// Section titles are shown in capitals, letter by letter in any script.
std::string uppercased(const std::string& text) {
    gchar* upper = g_utf8_strup(text.c_str(), static_cast<gssize>(text.size()));
    std::string result = upper ? upper : text;
    g_free(upper);
    return result;
}

void addStatusBar(UIView& root, double width, const UIColorRef& barColor) {
    auto statusBar = makeView(CGRectMake(0, 0, width, kStatusBarHeight), "status bar", barColor);
    bool light = uikit::UIApplication::sharedApplication().statusBarStyle() == uikit::UIStatusBarStyleLightContent;
    auto time = makeLabel("9:41 AM", ".SFUIText-Semibold", 12, light ? UIColor::whiteColor() : UIColor::blackColor());
    uikit::CGSize size = time->intrinsicContentSize();
    time->setFrame(CGRectMake((width - size.width) / 2, (kStatusBarHeight - size.height) / 2, size.width, size.height));
    statusBar->addSubview(time);
    root.addSubview(statusBar);
}

void addNavigationBar(UIView& root, preferences::PSListController& page, const uikit::UINavigationBar& bar,
                      const std::optional<std::string>& backTitle, const ScreenOptions& options,
                      const UIColorRef& barColor) {
    double width = options.width;
    auto view = makeView(CGRectMake(0, kStatusBarHeight, width, kNavigationBarHeight), "navigation bar", barColor);
    UIColorRef tint = bar.tintColor() ? bar.tintColor() : uikit::render::defaultTintColor();
    view->setTintColor(tint);
    auto& item = page.navigationItem();

    // 1. The title view, centred; else the title in the bar's title colour.
    if (const UIViewRef& titleView = item.titleView()) {
        uikit::CGSize size = titleView->frame().size;
        titleView->setFrame(
            CGRectMake((width - size.width) / 2, (kNavigationBarHeight - size.height) / 2, size.width, size.height));
        view->addSubview(titleView);
    } else if (!page.title().empty()) {
        UIColorRef titleColor = UIColor::blackColor();
        if (const auto& attributes = bar.titleTextAttributes()) {
            auto found = attributes->find(uikit::NSForegroundColorAttributeName);
            if (found != attributes->end() && found->second) titleColor = found->second;
        }
        auto title = makeLabel(page.title(), ".SFUIText-Semibold", 17, titleColor);
        title->setTextAlignment(uikit::NSTextAlignmentCenter);
        uikit::CGSize size = title->intrinsicContentSize();
        double shown = std::min(size.width, width - 2 * 96);
        title->setFrame(CGRectMake((width - shown) / 2, (kNavigationBarHeight - size.height) / 2, shown, size.height));
        view->addSubview(title);
    }

    // 2. The back button: the chevron and the previous page's title, in the tint.
    if (backTitle) {
        auto chevron = uikit::UIImageView::create(uikit::render::backChevronImage(options.glyphScale));
        chevron->setFrame(CGRectMake(8, (kNavigationBarHeight - 21) / 2, 13, 21));
        view->addSubview(chevron);
        auto label = makeLabel(*backTitle, ".SFUIText", 17, tint);
        uikit::CGSize size = label->intrinsicContentSize();
        label->setFrame(
            CGRectMake(26, (kNavigationBarHeight - size.height) / 2, std::min(size.width, width / 3), size.height));
        view->addSubview(label);
    }

    // 3. The right button: a system glyph, or its word.
    if (const auto& button = item.rightBarButtonItem()) {
        if (auto glyph = uikit::render::barButtonSystemItemImage(button->systemItem(), options.glyphScale)) {
            auto image = uikit::UIImageView::create(glyph);
            image->setFrame(CGRectMake(width - 16 - 22, (kNavigationBarHeight - 22) / 2, 22, 22));
            view->addSubview(image);
        } else if (auto word = uikit::render::barButtonSystemItemTitle(button->systemItem()); !word.empty()) {
            auto label = makeLabel(word, ".SFUIText", 17, tint);
            uikit::CGSize size = label->intrinsicContentSize();
            label->setFrame(
                CGRectMake(width - 8 - size.width, (kNavigationBarHeight - size.height) / 2, size.width, size.height));
            view->addSubview(label);
        }
    }

    view->addSubview(makeView(CGRectMake(0, kNavigationBarHeight - kHairline, width, kHairline), "bar hairline",
                              UIColor::colorWithWhite(0, 0.3)));
    root.addSubview(view);
}

// The lowest edge any shown view reaches below `view`'s top, in its coordinates.
double lowestEdge(const UIView& view) {
    double lowest = view.bounds().size.height;
    for (const auto& subview : view.subviews()) {
        if (subview->isHidden()) continue;
        lowest = std::max(lowest, subview->frame().origin.y + lowestEdge(*subview));
    }
    return lowest;
}

double rowHeight(const preferences::PSSpecifier* row) {
    if (row) {
        if (const auto* height = row->propertyForKey("height")) {
            if (auto real = height->real(); real && *real > 0) return *real;
            if (auto integer = height->integer(); integer && *integer > 0) return static_cast<double>(*integer);
        }
    }
    return kRowHeight;
}

// Lays one section into the table from `top`; answers where the next begins.
double addSection(UIView& table, preferences::PSListController& page, long section, double top,
                  const ScreenOptions& options) {
    double width = options.width;
    auto& tableView = *page.table();
    std::string name = "section " + std::to_string(section);
    double y = top;

    // 1. The header: the page's own view at its height, or the group's title.
    double ownHeight = page.tableViewHeightForHeaderInSection(tableView, section);
    if (UIViewRef header = page.tableViewViewForHeaderInSection(tableView, section)) {
        double height = ownHeight > 0 ? ownHeight : kHeaderHeight;
        header->setFrame(CGRectMake(0, y, width, height));
        if (options.prepareHeaderView) options.prepareHeaderView(*header, section);
        table.addSubview(header);
        // A header's content may reach below the height the page gives it
        // (the logo is taller than its header and does not clip); the rest
        // of the section starts below that content, so nothing covers it.
        header->layoutIfNeeded();
        y += std::max(height, lowestEdge(*header));
    } else {
        auto title = page.tableViewTitleForHeaderInSection(tableView, section);
        double height = ownHeight > 0  ? ownHeight
                        : title        ? kTitledHeaderHeight
                        : section == 0 ? kFirstHeaderHeight
                                       : kHeaderHeight;
        if (title && !title->empty()) {
            auto container = makeView(CGRectMake(0, y, width, height), name + " header");
            auto label = makeLabel(uppercased(*title), ".SFUIText", kSectionTextSize, sectionTextColor());
            uikit::CGSize size = label->intrinsicContentSize();
            label->setFrame(CGRectMake(uikit::UITableViewCell::kMargin, height - kHeaderTitleBaselineGap - size.height,
                                       std::min(size.width, width - 2 * uikit::UITableViewCell::kMargin), size.height));
            container->addSubview(label);
            table.addSubview(container);
        }
        y += height;
    }

    // 2. The rows, on white, with hairlines at the group's edges and inset between rows.
    long rows = page.tableViewNumberOfRowsInSection(tableView, section);
    double groupTop = y;
    std::vector<double> rowBottoms;
    for (long row = 0; row < rows; ++row) {
        auto cell = page.tableViewCellForRowAtIndexPath(tableView, uikit::NSIndexPath{section, row});
        double height = rowHeight(page.specifierAtIndexPath({section, row}).get());
        if (cell) {
            cell->setFrame(CGRectMake(0, y, width, height));
            if (!cell->backgroundColor()) cell->setBackgroundColor(UIColor::whiteColor());
            table.addSubview(cell);
        }
        y += height;
        rowBottoms.push_back(y);
    }
    if (rows > 0) {
        table.addSubview(makeView(CGRectMake(0, groupTop, width, kHairline), name + " top line", separatorColor()));
        for (std::size_t i = 0; i + 1 < rowBottoms.size(); ++i) {
            double inset = uikit::UITableViewCell::kMargin;
            table.addSubview(makeView(CGRectMake(inset, rowBottoms[i] - kHairline, width - inset, kHairline),
                                      name + " separator " + std::to_string(i), separatorColor()));
        }
        table.addSubview(
            makeView(CGRectMake(0, y - kHairline, width, kHairline), name + " bottom line", separatorColor()));
    }

    // 3. The footer text, wrapped at the table's margins.
    auto footer = page.tableViewTitleForFooterInSection(tableView, section);
    if (footer && !footer->empty()) {
        auto label = makeLabel(*footer, ".SFUIText", kSectionTextSize, sectionTextColor());
        double textWidth = width - 2 * uikit::UITableViewCell::kMargin;
        label->setNumberOfLines(0);
        label->setPreferredMaxLayoutWidth(textWidth);
        uikit::CGSize size = label->intrinsicContentSize();
        label->setFrame(CGRectMake(uikit::UITableViewCell::kMargin, y + kFooterTopGap, textWidth, size.height));
        label->setAccessibilityIdentifier(name + " footer");
        table.addSubview(label);
        y += kFooterTopGap + size.height + kFooterBottomGap;
    } else {
        y += kEmptyFooterHeight;
    }
    return y;
}

}  // namespace

PageScreen composePageScreen(preferences::PSListController& page, const uikit::UINavigationBar& bar,
                             const std::optional<std::string>& backTitle, const ScreenOptions& options) {
    double width = options.width > 0 ? options.width : kPhoneScreenWidth;
    ScreenOptions effective = options;
    effective.width = width;
    auto root = makeView(CGRectMake(0, 0, width, 0), "screen", groupedBackgroundColor());
    UIColorRef barColor = bar.barTintColor() ? bar.barTintColor() : defaultBarColor();

    // The table first, so that the bars are drawn over it.
    double tableTop = kStatusBarHeight + kNavigationBarHeight;
    auto table = makeView(CGRectMake(0, tableTop, width, 0), "table", groupedBackgroundColor());
    double y = 0;
    long sections = page.numberOfSectionsInTableView(*page.table());
    for (long section = 0; section < sections; ++section) y = addSection(*table, page, section, y, effective);
    table->setFrame(CGRectMake(0, tableTop, width, y));
    root->addSubview(table);
    addStatusBar(*root, width, barColor);
    addNavigationBar(*root, page, bar, backTitle, effective, barColor);
    root->setFrame(CGRectMake(0, 0, width, tableTop + y));

    PageScreen screen{root, uikit::layoutViewTree(*root)};
    // A header view may reach below the table's end (the logo is taller than
    // its header); the screen grows to show it.
    double reach = lowestEdge(*table);
    if (reach > y) {
        table->setFrame(CGRectMake(0, tableTop, width, reach));
        root->setFrame(CGRectMake(0, 0, width, tableTop + reach));
    }
    return screen;
}

const uikit::UINavigationBar& navigationBarShowing(uikit::UINavigationController& outer,
                                                   uikit::UINavigationController& inner) {
    if (inner.navigationBar().barTintColor()) return inner.navigationBar();
    if (outer.navigationBar().barTintColor()) return outer.navigationBar();
    return inner.navigationBar();
}

std::optional<std::string> backButtonTitle(const uikit::UINavigationController& outer,
                                           const uikit::UINavigationController& inner) {
    auto titleOf = [](const uikit::UIViewController& controller) {
        return controller.title().empty() ? std::string("Back") : controller.title();
    };
    const auto& pages = inner.viewControllers();
    if (pages.size() >= 2) return titleOf(*pages[pages.size() - 2]);
    // The pages' first page goes back to the app's page below their controller.
    const auto& appPages = outer.viewControllers();
    for (std::size_t i = 1; i < appPages.size(); ++i)
        if (appPages[i].get() == &inner) return titleOf(*appPages[i - 1]);
    return std::nullopt;
}

}  // namespace settingsapp
