// The Settings app as a desktop window (GTK 4): the composed screen drawn
// through the cairo renderer at one pixel a point, clicks and typing turned
// into the page actions the command line runs, sheets as modal dialogs, and
// the page kept up to date when another process changes the settings.
#pragma once

#include <string>
#include <vector>

namespace settingsapp {

struct WindowOptions {
    std::string entryLabel = "Snapfold";
    std::vector<std::string> pages;  // link rows followed from the first page
    double width = 375;              // points, as the page is composed
    // Debug and test aid: where the window writes its own drawing as PNG,
    // once when it is first idle (screenshotOnIdle) and on each SIGUSR1
    // (screenshotOnSignal).
    std::string screenshotOnIdle;
    std::string screenshotOnSignal;
};

// Opens the window and runs until it is closed. Answers the exit code: 0, 1
// when the entry cannot be opened or there is no display.
int runSettingsWindow(const WindowOptions& options);

}  // namespace settingsapp
