#include "hosts/settings-app/window/WindowScreen.h"

#include "platform/preferences/PSTableCell.h"
#include "platform/uikit/render/ViewRenderer.h"

namespace settingsapp {

namespace {

// The Settings app's own list: a row per installed entry, under one group.
preferences::PSListControllerRef makeEntriesPage() {
    auto page = preferences::PSListController::create();
    page->setTitle("Settings");
    auto rows = page->specifiers();
    rows->push_back(preferences::PSSpecifier::preferenceSpecifierNamed(std::nullopt, preferences::PSGroupCell));
    for (const auto& entry : preferences::preferenceLoaderEntries())
        if (entry.specifier) rows->push_back(entry.specifier);
    return page;
}

// The bar over the Settings list: the app's own, in its default colours.
const uikit::UINavigationBar& defaultBar() {
    static const auto navigation = uikit::UINavigationController::create();
    return navigation->navigationBar();
}

}  // namespace

WindowScreen::WindowScreen(double width, Say say) : width_(width), say_(std::move(say)) {}

bool WindowScreen::open(const std::string& entryLabel, const std::vector<std::string>& pages, std::string& message) {
    session_ = std::make_unique<SettingsSession>();
    if (!session_->openEntry(entryLabel, message)) return false;
    for (const auto& page : pages)
        if (!session_->pushLink(page, message)) return false;
    showingEntries_ = false;
    recompose();
    return true;
}

void WindowScreen::recompose() {
    ScreenOptions options;
    options.width = width_;
    options.glyphScale = 1;
    if (showingEntries_) {
        if (!entriesPage_) entriesPage_ = makeEntriesPage();
        screen_ = composePageScreen(*entriesPage_, defaultBar(), std::nullopt, options);
        say_("showing: the Settings list");
    } else if (auto* page = session_ ? session_->topPage() : nullptr) {
        say_("showing: " + page->isa()->name());
        screen_ = composePageScreen(*page,
                                    navigationBarShowing(session_->outerNavigation(), session_->innerNavigation()),
                                    backButtonTitle(session_->outerNavigation(), session_->innerNavigation()), options);
    }
    if (!screen_.layout.ok()) say_("the layout has problems:\n" + screen_.layout.describe());
}

double WindowScreen::height() const { return screen_.root ? screen_.root->frame().size.height : 0; }

void WindowScreen::draw(cairo_t* cr) const {
    if (!screen_.root) return;
    if (const auto& background = screen_.root->backgroundColor()) {
        cairo_set_source_rgba(cr, background->red(), background->green(), background->blue(), background->alpha());
        cairo_paint(cr);
    }
    uikit::render::drawViewTree(cr, *screen_.root);
}

uikit::render::SurfacePtr WindowScreen::renderAtOneToOne() const {
    if (!screen_.root) return nullptr;
    return uikit::render::renderViewTree(*screen_.root, 1, screen_.root->backgroundColor());
}

WindowScreen::ClickResult WindowScreen::click(uikit::CGPoint point) {
    if (!screen_.root) return ClickResult::Nothing;
    ScreenTarget target = hitTestScreen(*screen_.root, point);
    switch (target.kind) {
    case ScreenTarget::Kind::Nothing: return ClickResult::Nothing;
    case ScreenTarget::Kind::BackButton: return back();
    case ScreenTarget::Kind::RightButton: {
        if (showingEntries_) return ClickResult::Nothing;
        auto shown = tapShareButton(*session_, say_);
        if (!shown) return ClickResult::Nothing;
        recompose();
        return shown.value() ? ClickResult::SheetShown : ClickResult::Changed;
    }
    case ScreenTarget::Kind::Row: return showingEntries_ ? clickEntry(target.row) : clickRow(target);
    }
    return ClickResult::Nothing;
}

WindowScreen::ClickResult WindowScreen::back() {
    if (showingEntries_) return ClickResult::Nothing;
    if (session_->innerNavigation().viewControllers().size() >= 2) {
        session_->goBack();
    } else {
        say_("back to the Settings list");
        showingEntries_ = true;
    }
    recompose();
    return ClickResult::Changed;
}

WindowScreen::ClickResult WindowScreen::clickEntry(const preferences::PSSpecifierRef& row) {
    std::string label = row->name().value_or("");
    say_("opening entry: " + label);
    // Leaving the open entry tells its pages they disappear, as the app does.
    session_.reset();
    std::string message;
    if (!open(label, {}, message)) {
        say_(message);
        session_ = std::make_unique<SettingsSession>();
        showingEntries_ = true;
        recompose();
    }
    return ClickResult::Changed;
}

WindowScreen::ClickResult WindowScreen::clickRow(const ScreenTarget& target) {
    auto* page = session_->topPage();
    const auto& row = target.row;
    if (row->cellType() == preferences::PSSwitchCell) {
        auto toggled = toggleSwitchRow(*page, *row, say_);
        if (!toggled) say_(toggled.error().message);
        recompose();
        return ClickResult::Changed;
    }
    if (row->cellType() == preferences::PSEditTextCell || row->cellType() == preferences::PSSecureEditTextCell) {
        edited_ = target;
        return ClickResult::EditText;
    }
    auto tapped = tapRow(*session_, row, say_);
    if (!tapped) {
        say_(tapped.error().message);
        return ClickResult::Nothing;
    }
    recompose();
    return tapped.value() == TapResult::SheetShown ? ClickResult::SheetShown : ClickResult::Changed;
}

std::string WindowScreen::editedRowText() {
    auto* page = session_ ? session_->topPage() : nullptr;
    if (!page || !edited_.row) return {};
    auto value = page->valueForSpecifier(*edited_.row);
    if (!value) return {};
    if (auto text = value->string()) return *text;
    return value->description();
}

foundation::ErrorOr<void> WindowScreen::commitEditedText(const std::string& text) {
    auto* page = session_ ? session_->topPage() : nullptr;
    if (!page || !edited_.row) return foundation::makeError(foundation::ErrorCode::NotFound, "no row is being edited");
    auto row = std::move(edited_.row);
    edited_ = {};
    auto changed = changeRowValue(*page, *row, text, say_);
    recompose();
    return changed;
}

std::string WindowScreen::sheetText() { return session_ ? describeShownSheet(*session_) : std::string(); }

void WindowScreen::finishSheet(bool cancel) {
    if (!session_) return;
    auto finished = settingsapp::finishSheet(*session_, cancel, say_);
    if (!finished) say_(finished.error().message);
    recompose();
}

}  // namespace settingsapp
