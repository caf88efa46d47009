// The Settings app's screen as the window shows it, without the window: the
// open session, or the Settings list of the installed entries that its back
// button leads to; the composed view tree of whichever is shown; and what a
// click on it does, through the same page actions as the command line. Used
// on one thread only (the window's main thread).
#pragma once

#include "hosts/settings-app/PageActions.h"
#include "hosts/settings-app/SettingsSession.h"
#include "hosts/settings-app/render/PageScreen.h"
#include "hosts/settings-app/window/ScreenHitTest.h"
#include "platform/uikit/render/CairoHandles.h"

#include <memory>
#include <string>
#include <vector>

namespace settingsapp {

class WindowScreen {
public:
    // Opens the entry labelled `entryLabel` and follows the link rows
    // `pages` from its first page. False, with a message, on failure.
    bool open(const std::string& entryLabel, const std::vector<std::string>& pages, std::string& message);
    WindowScreen(double width, Say say);

    enum class ClickResult {
        Nothing,     // the click landed on nothing that answers it
        Changed,     // the screen shows something new (recomposed)
        EditText,    // the row takes typed text: see editedRow()
        SheetShown,  // a sheet waits to be sent or cancelled: see sheetText()
    };
    // Clicks at `point`, in the screen's points from its top-left corner.
    ClickResult click(uikit::CGPoint point);

    // The text row being edited after EditText, with its current text and
    // its cell's frame in the screen.
    const ScreenTarget& editedRow() const { return edited_; }
    std::string editedRowText();
    // Writes `text` to the edited row (as `set` does) and recomposes.
    foundation::ErrorOr<void> commitEditedText(const std::string& text);

    std::string sheetText();
    void finishSheet(bool cancel);

    // Composes the shown page again, as after a change made elsewhere.
    void recompose();
    // Lets timers and animations play for `seconds` of the run loop's clock.
    static void advanceClock(double seconds) { SettingsSession::runFor(seconds); }

    const PageScreen& screen() const { return screen_; }
    double width() const { return width_; }
    double height() const;
    // Draws the screen with its top-left corner at the origin of `cr`, in points.
    void draw(cairo_t* cr) const;
    // The screen as a bitmap of one pixel a point.
    uikit::render::SurfacePtr renderAtOneToOne() const;

private:
    ClickResult clickRow(const ScreenTarget& target);
    ClickResult clickEntry(const preferences::PSSpecifierRef& row);
    ClickResult back();

    double width_;
    Say say_;
    std::unique_ptr<SettingsSession> session_;
    // The Settings list of entries, shown instead of the session's pages.
    preferences::PSListControllerRef entriesPage_;
    bool showingEntries_ = false;
    ScreenTarget edited_;
    PageScreen screen_;
};

}  // namespace settingsapp
