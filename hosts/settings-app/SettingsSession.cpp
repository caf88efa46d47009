#include "hosts/settings-app/SettingsSession.h"

#include "platform/uikit/NSRunLoop.h"
#include "platform/uikit/UIApplication.h"

#include <cctype>

namespace settingsapp {

namespace {

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string colour(const uikit::UIColorRef& color) { return color ? color->description() : "default"; }

std::string describeBar(uikit::UINavigationBar& bar) {
    std::string title = "default";
    if (const auto& attributes = bar.titleTextAttributes()) {
        auto it = attributes->find(uikit::NSForegroundColorAttributeName);
        title = it == attributes->end() ? "set, no colour" : "text " + colour(it->second);
    }
    return "tint " + colour(bar.tintColor()) + ", bar tint " + colour(bar.barTintColor()) + ", title " + title;
}

}  // namespace

SettingsSession::SettingsSession()
    : outer_(uikit::UINavigationController::create()), inner_(uikit::UINavigationController::create()) {
    // The app's own first page, then the navigation controller that holds
    // the bundle's pages.
    auto settingsList = uikit::UIViewController::create();
    settingsList->setTitle("Settings");
    outer_->pushViewController(settingsList, false);
    outer_->pushViewController(inner_, false);
}

SettingsSession::~SettingsSession() {
    // Leaving the app: every page is told it disappears.
    while (inner_->popViewControllerAnimated(false)) {
    }
    if (auto* top = inner_->topViewController()) top->viewWillDisappear(false);
}

bool SettingsSession::openEntry(std::string_view label, std::string& message) {
    auto entries = preferences::preferenceLoaderEntries();
    for (const auto& entry : entries) {
        if (!label.empty() && lower(entry.label) != lower(label)) continue;
        auto page = preferences::openPreferenceLoaderEntry(entry);
        if (!page) {
            message = "There was an error loading the preference bundle for " + entry.label + ".";
            return false;
        }
        inner_->pushViewController(page, true);
        runFor(1.0);
        return true;
    }
    message = entries.empty() ? "no settings entries are installed (run: snapfold-settings-app install)"
                              : "no entry named \"" + std::string(label) + "\"";
    return false;
}

bool SettingsSession::pushLink(std::string_view row, std::string& message) {
    auto specifier = findRow(row);
    if (!topPage() || !specifier) {
        message = "no row \"" + std::string(row) + "\" on this page";
        return false;
    }
    return pushRow(specifier, message);
}

bool SettingsSession::pushRow(const preferences::PSSpecifierRef& row, std::string& message) {
    auto* page = topPage();
    auto next = page && row ? page->controllerForSpecifier(row) : nullptr;
    if (!next) {
        message = "the row \"" + (row ? row->name().value_or("") : std::string()) + "\" opens no page";
        return false;
    }
    inner_->pushViewController(next, true);
    runFor(1.0);
    return true;
}

bool SettingsSession::goBack() {
    bool popped = inner_->popViewControllerAnimated(true) != nullptr;
    runFor(1.0);
    return popped;
}

preferences::PSListController* SettingsSession::topPage() const {
    return dynamic_cast<preferences::PSListController*>(inner_->topViewController());
}

preferences::PSSpecifierRef SettingsSession::findRow(std::string_view row) const {
    auto* page = topPage();
    if (!page) return nullptr;
    auto rows = page->specifiers();
    if (!rows) return nullptr;
    std::string wanted = lower(row);
    for (const auto& specifier : *rows) {
        if (!specifier || specifier->cellType() == preferences::PSGroupCell) continue;
        for (const auto& candidate : {specifier->stringPropertyForKey("key"), specifier->stringPropertyForKey("id"),
                                      specifier->name(), specifier->stringPropertyForKey("label")}) {
            if (candidate && lower(*candidate) == wanted) return specifier;
        }
    }
    return nullptr;
}

std::string SettingsSession::describeChrome() const {
    long style = uikit::UIApplication::sharedApplication().statusBarStyle();
    std::string text = "status bar: " + std::to_string(style) + (style == 1 ? " (light content)" : " (default)") + "\n";
    text += "app navigation bar: " + describeBar(outer_->navigationBar()) + "\n";
    text += "page navigation bar: " + describeBar(inner_->navigationBar()) + "\n";
    return text;
}

void SettingsSession::runFor(double seconds) { uikit::NSRunLoop::mainRunLoop().runForInterval(seconds); }

}  // namespace settingsapp
