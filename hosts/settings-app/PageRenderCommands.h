// The Settings host's picture and dump of the page on top: "render" draws it
// to PNG, "dump" prints its view tree with every frame, both at a device's
// width and idiom.
#pragma once

#include "hosts/settings-app/SettingsSession.h"

#include <string>
#include <vector>

namespace settingsapp {

// The usage lines of the two commands.
extern const char* const kPageCommandsUsage;

// True when `command` is one of the two.
bool isPageCommand(const std::string& command);

// Runs "render FILE [OPTIONS]" or "dump [OPTIONS]" (`arguments` starts with
// the command) on the session's top page. Options: --width POINTS (375 for
// a phone, 768 for a pad unless given), --idiom phone|pad (the device root's
// own idiom unless given), --scale PIXELS-PER-POINT (render only, 2 unless
// given). Answers the exit code: 0, 1 when the page was shown but its layout
// has problems (listed on standard error), 2 for wrong arguments or a
// picture that could not be written.
int runPageCommand(SettingsSession& session, const std::vector<std::string>& arguments);

}  // namespace settingsapp
