// What a person can do on a settings page, as one set of actions shared by
// the command line and the window: change a row's value, flip a switch, tap
// a row, tap the share button, and send or cancel the sheet a tap presented.
// Each action says what happened, line by line, through `say`; both hosts
// print those lines, so a change made in the window reads as one made from
// the command line.
#pragma once

#include "hosts/settings-app/SettingsSession.h"
#include "platform/foundation/ErrorOr.h"

#include <functional>
#include <string>
#include <string_view>

namespace settingsapp {

using Say = std::function<void(const std::string& line)>;

// Writes `text`, read as the kind of value the row takes, through the page
// (which stores it and posts the row's notification). An InvalidArgument
// error, and nothing changed, for a row without a value or text it does not take.
foundation::ErrorOr<void> changeRowValue(preferences::PSListController& page, preferences::PSSpecifier& row,
                                         std::string_view text, const Say& say);
// Turns a switch row's value over, as a tap on its switch does.
foundation::ErrorOr<void> toggleSwitchRow(preferences::PSListController& page, preferences::PSSpecifier& row,
                                          const Say& say);

enum class TapResult {
    Nothing,     // the row does nothing when tapped
    Pushed,      // the row's page is now on top
    Performed,   // the row's action ran and presented nothing
    SheetShown,  // the row's action presented a sheet, waiting to be finished
};
// Taps a row of the top page: follows its link, or selects its own cell and
// runs its button action.
foundation::ErrorOr<TapResult> tapRow(SettingsSession& session, const preferences::PSSpecifierRef& row, const Say& say);
// Taps the top page's share button; true when it presented a sheet.
foundation::ErrorOr<bool> tapShareButton(SettingsSession& session, const Say& say);

// The sheet a tap presented, as its text shows it; empty when none is shown.
std::string describeShownSheet(SettingsSession& session);
// Sends or cancels the sheet a tap presented, as the person would, and lets
// it go away. Says "nothing was shown" when there is none.
foundation::ErrorOr<void> finishSheet(SettingsSession& session, bool cancel, const Say& say);

}  // namespace settingsapp
