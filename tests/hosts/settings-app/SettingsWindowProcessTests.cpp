// The Settings window as a person uses it: on a virtual display, clicked and
// typed at with xdotool, compared with the page the render command draws.
#include "tests/prefs/PrefsTestSupport.h"

#include "platform/foundation/DeviceRoot.h"
#include "tests/support/TestSupport.h"

#include <png.h>

#include <csignal>
#include <cstdlib>
#include <sstream>

namespace fs = std::filesystem;

namespace {

fs::path host() { return testsupport::buildDirectory() / "bin" / "snapfold-settings-app"; }

bool onPath(const std::string& program) {
    return testsupport::runProgram("/bin/sh", {"-c", "command -v " + program}).exitCode == 0;
}

// The centre of the row showing `text`, in the page's points: the sum of the
// frames on its path in the host's dump (the table's, then the cell's).
std::optional<std::pair<int, int>> rowCentre(const std::string& dump, const std::string& text) {
    std::istringstream lines(dump);
    std::string line;
    double tableY = 0, cellY = 0, cellHeight = 0;
    while (std::getline(lines, line)) {
        double x, y, w, h;
        auto at = line.find("frame=(");
        if (at != std::string::npos &&
            std::sscanf(line.c_str() + at, "frame=(%lf %lf; %lf x %lf)", &x, &y, &w, &h) == 4) {
            if (line.find("\"table\"") != std::string::npos) tableY = y;
            if (line.find("PSTableCell") != std::string::npos) cellY = y, cellHeight = h;
        }
        if (line.find("text=\"" + text + "\"") != std::string::npos)
            return std::pair{150, static_cast<int>(tableY + cellY + cellHeight / 2)};
    }
    return std::nullopt;
}

struct Rgba {
    bool ok = false;
    unsigned width = 0, height = 0;
    std::vector<unsigned char> pixels;
};

Rgba readPng(const fs::path& file) {
    Rgba image;
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, file.c_str())) return image;
    png.format = PNG_FORMAT_RGBA;
    image.width = png.width;
    image.height = png.height;
    image.pixels.resize(PNG_IMAGE_SIZE(png));
    image.ok = png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr) != 0;
    png_image_free(&png);
    return image;
}

class SettingsWindowTest : public prefstest::SettingsPageTest {
protected:
    void SetUp() override {
        SettingsPageTest::SetUp();
        if (!onPath("Xvfb") || !onPath("xdotool")) GTEST_SKIP() << "Xvfb and xdotool are needed to use the window";
#if defined(__SANITIZE_THREAD__)
        // GTK and GLib are not built for the thread sanitizer, which reports
        // their own threads' accesses as races; the window's own thread hop
        // is checked by the release and address-sanitizer runs.
        GTEST_SKIP() << "the window is not run under the thread sanitizer";
#endif
        auto installed = testsupport::runProgram(host(), {"install"});
        ASSERT_EQ(installed.exitCode, 0) << installed.errors;
    }
    // Reads the window's lines until one contains `wanted`; that line.
    // Counts the changes the window saw posted on the way.
    std::string awaitLine(testsupport::ChildProcess& window, const std::string& wanted) {
        while (auto line = window.readLine()) {
            changesSeen_ += line->starts_with("settings changed:");
            if (line->find(wanted) != std::string::npos) return *line;
        }
        ADD_FAILURE() << "the window never said \"" << wanted << "\"";
        return {};
    }
    int changesSeen_ = 0;
    void xdotool(const std::string& display, std::vector<std::string> arguments) {
        auto ran = testsupport::runProgram("/usr/bin/env", [&] {
            std::vector<std::string> all{"DISPLAY=" + display, "xdotool"};
            all.insert(all.end(), arguments.begin(), arguments.end());
            return all;
        }());
        EXPECT_EQ(ran.exitCode, 0) << ran.errors;
    }
};

TEST_F(SettingsWindowTest, ClicksAndTypingChangeTheSettingsAndTheWindowFollowsOtherProcesses) {
    auto root = testsupport::runProgram(host(), {"dump"});
    auto configuration = testsupport::runProgram(host(), {"--page", "Configuration", "dump"});
    auto enabled = rowCentre(root.output, "Enabled");
    auto albumName = rowCentre(root.output, "Album name");
    auto more = rowCentre(root.output, "Configuration");
    auto choice = rowCentre(configuration.output, "Album");
    ASSERT_TRUE(enabled && albumName && more && choice) << root.output << configuration.output;

    // Xvfb picks a free display and says which on the descriptor it is given.
    testsupport::ChildProcess xvfb("/usr/bin/Xvfb",
                                   {"-displayfd", "1", "-screen", "0", "800x1000x24", "-nolisten", "tcp"});
    auto displayNumber = xvfb.readLine();
    ASSERT_TRUE(displayNumber) << "Xvfb did not start";
    std::string display = ":" + *displayNumber;
    fs::path shot = foundation::deviceRoot() / "window.png";
    prefstest::PostCounter posts("com.veltrona.snapfold/settingschanged");
    testsupport::ChildProcess window(host(), {"window", "--screenshot-on-signal", shot.string()},
                                     {"DISPLAY=" + display});
    ASSERT_TRUE(window.started());
    std::string ready = awaitLine(window, "ready: window ");
    unsigned long xid = 0;
    int left = 0, top = 0;
    ASSERT_EQ(std::sscanf(ready.c_str(), "ready: window %lu page at %d %d", &xid, &left, &top), 3) << ready;
    auto click = [&](std::pair<int, int> at) {
        xdotool(display, {"mousemove", "--window", std::to_string(xid), std::to_string(left + at.first),
                          std::to_string(top + at.second), "click", "1"});
    };

    click(*enabled);
    awaitLine(window, "isEnabled: true -> false");
    click(*albumName);
    awaitLine(window, "editing: albumName");
    xdotool(display, {"type", "Trips"});
    xdotool(display, {"key", "Return"});
    awaitLine(window, "-> \"Trips\"");
    click(*more);
    awaitLine(window, "showing: VeltronaSnapfoldConfigurationListController");
    click(*choice);
    awaitLine(window, "showing: PSListItemsController");
    click({20, 42});  // the back button
    awaitLine(window, "showing: VeltronaSnapfoldConfigurationListController");
    click({20, 42});
    awaitLine(window, "showing: SnapfoldListController");

    // Another process changes the album; the window shows it unasked.
    auto changed = testsupport::runProgram(host(), {"set", "albumName", "Holiday 2015"});
    ASSERT_EQ(changed.exitCode, 0) << changed.errors;
    // Its own two changes, then the other process's.
    while (changesSeen_ < 3 && !HasFailure()) awaitLine(window, "settings changed:");
    awaitLine(window, "showing: SnapfoldListController");
    EXPECT_EQ(prefstest::readSettingsFile(),
              (foundation::NSDictionary{{"isEnabled", false}, {"albumName", "Holiday 2015"}}));
    EXPECT_EQ(posts.countAfterDrain(), 3);

    ::kill(window.pid(), SIGUSR1);
    awaitLine(window, "screenshot: ");
    fs::path rendered = foundation::deviceRoot() / "rendered.png";
    auto render = testsupport::runProgram(host(), {"render", rendered.string(), "--scale", "1"});
    ASSERT_EQ(render.exitCode, 0) << render.errors;
    Rgba shown = readPng(shot), expected = readPng(rendered);
    ASSERT_TRUE(shown.ok && expected.ok);
    ASSERT_EQ(shown.width, expected.width);
    ASSERT_EQ(shown.height, expected.height);
    // Equal within 2 levels a channel (GTK blends through premultiplied
    // alpha), except the header's last line, which the page picks at random
    // each time it opens: from 95 to 120 points below the table's top.
    int differing = 0;
    for (unsigned y = 0; y < shown.height; ++y) {
        if (y >= 64 + 95 && y < 64 + 120) continue;
        for (unsigned i = y * shown.width * 4; i < (y + 1) * shown.width * 4; ++i)
            differing += std::abs(shown.pixels[i] - expected.pixels[i]) > 2;
    }
    EXPECT_EQ(differing, 0);
}

}  // namespace
