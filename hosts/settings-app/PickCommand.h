// The Settings host's "pick" command: choosing an item of a choice row's
// list, as a person does by opening the row and tapping the item.
#pragma once

#include "hosts/settings-app/SettingsSession.h"

#include <string>
#include <vector>

namespace settingsapp {

extern const char* const kPickUsage;

// "pick ROW ITEM" on a page with the choice row ROW, or "pick ITEM" on a
// choice list opened with --page. ITEM is the item's number from 1, its
// title or its value. Prints the list with its checkmark after the tap, the
// stored value before and after, "posted: NAME" when the settings-changed
// post really happened, and what the choice row then shows. Answers the
// exit code: 0, 2 for a row or item that does not exist.
int pickItem(SettingsSession& session, const std::vector<std::string>& arguments);

}  // namespace settingsapp
