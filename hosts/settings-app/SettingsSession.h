// One visit to the Settings app: its navigation (the app's own navigation
// controller, holding the navigation controller in which the bundle's pages
// are pushed, as on the systems that nest them), the open page, and what the
// person does there.
#pragma once

#include "platform/preferences/PSListController.h"
#include "platform/preferences/PreferenceLoaderEntries.h"
#include "platform/uikit/UIViewController.h"

#include <memory>
#include <string>
#include <string_view>

namespace settingsapp {

class SettingsSession {
public:
    SettingsSession();
    ~SettingsSession();

    // Opens the entry with this label (the first entry when empty) and lets
    // its timers and animations play out. False, with a message, on failure.
    bool openEntry(std::string_view label, std::string& message);
    // Follows the link row named `row` from the top page. False, with a
    // message, when there is no such link.
    bool pushLink(std::string_view row, std::string& message);
    // Follows the link row `row` of the top page, as pushLink does.
    bool pushRow(const preferences::PSSpecifierRef& row, std::string& message);
    // Goes back one page.
    bool goBack();

    preferences::PSListController* topPage() const;
    // A row of the top page by key, "id", title or label key, ignoring case.
    preferences::PSSpecifierRef findRow(std::string_view row) const;

    // The status bar and both navigation bars, one line each.
    std::string describeChrome() const;
    // Runs the main run loop on for `seconds` of its clock.
    static void runFor(double seconds);

    uikit::UINavigationController& outerNavigation() { return *outer_; }
    uikit::UINavigationController& innerNavigation() { return *inner_; }

private:
    std::shared_ptr<uikit::UINavigationController> outer_;
    std::shared_ptr<uikit::UINavigationController> inner_;
};

}  // namespace settingsapp
