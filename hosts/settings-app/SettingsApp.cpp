// snapfold-settings-app: the Settings app, as text. It lists the add-on
// settings entries of a device root, opens the Snapfold pages from the
// installed bundle, prints a page as a table, changes a row's value through
// the page (which rewrites the settings file and notifies every process that
// loaded the hook library), picks an item of a choice row's list, follows
// links, taps buttons, custom cells and the share button, and says what
// happened. It also says which client apps the
// device has (the URL schemes they take) and prints the URLs it opened.
#include "hosts/command-line/CommandLine.h"
#include "hosts/settings-app/DeviceSetup.h"
#include "hosts/settings-app/PageActions.h"
#include "hosts/settings-app/PageRenderCommands.h"
#include "hosts/settings-app/PickCommand.h"
#include "hosts/settings-app/SettingsSession.h"
#include "hosts/settings-app/render/PageScreen.h"
#include "hosts/settings-app/window/SettingsWindow.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSBundle.h"
#include "platform/preferences/PageDescription.h"
#include "platform/uikit/DeviceURLHandlers.h"
#include "platform/uikit/OpenedURLLog.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIDevice.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

using settingsapp::SettingsSession;

int fail(const std::string& message) {
    std::fprintf(stderr, "snapfold-settings-app: %s\n", message.c_str());
    return 1;
}

int listEntries() {
    auto entries = preferences::preferenceLoaderEntries();
    if (entries.empty()) std::printf("(no entries)\n");
    for (const auto& entry : entries)
        std::printf("%s\t%s\t%s\n", entry.label.c_str(), entry.bundlePath.value_or("(own rows)").c_str(),
                    entry.file.c_str());
    return 0;
}

void sayLine(const std::string& line) { std::printf("%s\n", line.c_str()); }

int changeRow(SettingsSession& session, const std::string& rowName, const std::string& text) {
    auto row = session.findRow(rowName);
    if (!row) return fail("no row \"" + rowName + "\" on this page; nothing changed"), 2;
    auto changed = settingsapp::changeRowValue(*session.topPage(), *row, text, sayLine);
    if (!changed) return fail(changed.error().message), 2;
    return 0;
}

// Finishes whatever sheet a tap presented, as the person would.
int finishSheets(SettingsSession& session, bool cancel) {
    auto sheet = settingsapp::describeShownSheet(session);
    if (!sheet.empty()) sayLine(sheet);
    auto finished = settingsapp::finishSheet(session, cancel, sayLine);
    if (!finished) return fail(finished.error().message);
    return 0;
}

int tapRow(SettingsSession& session, const std::string& rowName, bool cancel) {
    auto row = session.findRow(rowName);
    if (!row) return fail("no row \"" + rowName + "\" on this page"), 2;
    auto tapped = settingsapp::tapRow(session, row, sayLine);
    if (!tapped) return fail(tapped.error().message);
    switch (tapped.value()) {
    case settingsapp::TapResult::Pushed:
        // The command line shows the page the link opens and comes back.
        std::printf("%s", preferences::describePage(*session.topPage()).c_str());
        session.goBack();
        return 0;
    case settingsapp::TapResult::Nothing: return 0;
    case settingsapp::TapResult::Performed:
    case settingsapp::TapResult::SheetShown: return finishSheets(session, cancel);
    }
    return 0;
}

int share(SettingsSession& session, bool cancel) {
    auto shown = settingsapp::tapShareButton(session, sayLine);
    if (!shown) return fail(shown.error().message);
    return shown.value() ? finishSheets(session, cancel) : 0;
}

int visit(SettingsSession& session, const std::string& rowName) {
    std::printf("on %s:\n%s", session.topPage()->isa()->name().c_str(), session.describeChrome().c_str());
    std::string message;
    if (!session.pushLink(rowName, message)) return fail(message), 2;
    std::printf("pushed %s:\n%s", session.topPage()->isa()->name().c_str(), session.describeChrome().c_str());
    std::printf("%s", preferences::describePage(*session.topPage()).c_str());
    session.goBack();
    std::printf("back on %s:\n%s", session.topPage()->isa()->name().c_str(), session.describeChrome().c_str());
    return 0;
}

int openWindow(const std::string& entryLabel, const std::vector<std::string>& pages, const std::string& idiom,
               const std::string& screenshotOnIdle, const std::string& screenshotOnSignal) {
    settingsapp::WindowOptions options;
    options.entryLabel = entryLabel;
    options.pages = pages;
    if (!screenshotOnIdle.empty()) options.screenshotOnIdle = std::filesystem::absolute(screenshotOnIdle).string();
    if (!screenshotOnSignal.empty())
        options.screenshotOnSignal = std::filesystem::absolute(screenshotOnSignal).string();
    // The idiom is read when the header views and cells are made.
    if (!idiom.empty())
        uikit::UIDevice::setSimulatedIdiom(idiom == "pad" ? uikit::UIDevice::IdiomOverride::Pad
                                                          : uikit::UIDevice::IdiomOverride::Phone);
    bool isPad = uikit::UIDevice::currentDevice().userInterfaceIdiom() == uikit::UIUserInterfaceIdiomPad;
    options.width = isPad ? settingsapp::kPadScreenWidth : settingsapp::kPhoneScreenWidth;
    // As the phone's Settings app runs in "/", the window runs in the device root.
    std::error_code inRoot;
    std::filesystem::current_path(foundation::deviceRoot(), inRoot);
    if (inRoot) return fail("cannot enter the device root: " + inRoot.message());
    return settingsapp::runSettingsWindow(options);
}

int listApps() {
    auto installed = uikit::deviceURLSchemeHandlers();
    if (installed.empty()) std::printf("(no client apps installed)\n");
    for (const auto& [scheme, app] : installed) std::printf("%s\t%s\n", scheme.c_str(), app.c_str());
    return 0;
}

int installApp(const std::string& scheme, const std::string& name) {
    auto installed = uikit::installURLSchemeHandler(scheme, name);
    if (!installed) return fail(installed.error().message), 2;
    std::printf("installed: %s\n", uikit::normalizedURLScheme(scheme)->c_str());
    return 0;
}

int removeApp(const std::string& scheme) {
    auto removed = uikit::removeURLSchemeHandler(scheme);
    if (!removed) return fail(removed.error().message), 2;
    std::printf(removed.value() ? "removed: %s\n" : "not installed: %s\n", uikit::normalizedURLScheme(scheme)->c_str());
    return 0;
}

int printOpenedURLs() {
    auto opened = uikit::openedURLLog();
    if (opened.empty()) std::printf("(no URLs opened)\n");
    for (const auto& url : opened) std::printf("%s\n", url.c_str());
    return 0;
}

// The words after a page command or `pick`, in the order their own parsers
// read them.
std::vector<std::string> commandWords(const std::string& command, const std::vector<std::string>& operands,
                                      const std::vector<std::pair<std::string, std::string>>& options) {
    std::vector<std::string> words{command};
    words.insert(words.end(), operands.begin(), operands.end());
    for (const auto& [option, value] : options)
        if (!value.empty()) words.insert(words.end(), {option, value});
    return words;
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGXFSZ, SIG_IGN);  // a file-size limit fails the write (EFBIG, "no space"), never the app
    commandline::Program program(
        "snapfold-settings-app",
        "The Settings app, as text: lists the settings entries, opens the Snapfold pages from the installed bundle, "
        "shows a page, changes a row's value through the page, picks an item of a choice list, follows links, taps "
        "buttons and cells, and draws or dumps a page. ROW is a row's key, id, title or label key.");
    auto& app = program.app();
    std::string entryLabel = "Snapfold";
    std::vector<std::string> pages;
    bool cancel = false;
    app.add_option("--entry", entryLabel, "the settings entry to open")->type_name("LABEL")->capture_default_str();
    app.add_option("--page", pages, "follow a link row from the first page before the command (repeatable)")
        ->type_name("ROW")
        ->allow_extra_args(false);
    app.add_flag("--cancel", cancel, "cancel a sheet that a command opens instead of sending it");

    std::string build, row, value, scheme, name, item, file, width, idiom, scale;
    auto* install = program.command("install",
                                    "install the whole tweak built in BUILD-DIR into the device root, "
                                    "and a default device where it has none");
    install->add_option("build-dir", build, "the build folder (default: the one this program was built in)");
    auto* entries = program.command("entries", "list the settings entries");
    auto* show = program.command("show", "print the page as a table");
    auto* set = program.command("set", "change a row's value through the page");
    set->add_option("row", row, "the row")->required();
    set->add_option("value", value, "the new value")->required();
    auto* tap = program.command("tap", "tap a row: follow a link, or run a button's action");
    tap->add_option("row", row, "the row")->required();
    auto* share = program.command("share", "tap the share button");
    auto* visit = program.command("visit", "follow a link to its page and come back, showing the bars");
    visit->add_option("row", row, "the row")->required();
    auto* pick = program.command("pick",
                                 "pick an item of a choice row's list: ROW ITEM, or ITEM on a list opened "
                                 "with --page; ITEM is its number from 1, its title or its value");
    pick->add_option("row", row, "the choice row, or the item")->required();
    pick->add_option("item", item, "the item");
    auto* apps = program.command("apps", "list the client apps installed on the device, by URL scheme");
    auto* installApp = program.command("install-app", "say that an app taking SCHEME URLs is installed");
    installApp->add_option("scheme", scheme, "the URL scheme")->required();
    installApp->add_option("name", name, "the app's name");
    auto* removeApp = program.command("remove-app", "say that the app taking SCHEME URLs is removed");
    removeApp->add_option("scheme", scheme, "the URL scheme")->required();
    auto* openedURLs = program.command("opened-urls", "print every URL the device was asked to open");
    auto* render = program.command("render", "draw the page to a PNG file");
    render->add_option("file", file, "the PNG file to write")->required();
    render->add_option("--scale", scale, "pixels a point (default 2)")->check(commandline::positiveNumber());
    auto* dump = program.command("dump", "print the page's view tree with the frames the layout gave it");
    std::string screenshotOnIdle, screenshotOnSignal;
    auto* window = program.command("window", "open the pages in a desktop window, used with mouse and keyboard");
    window->add_option("--screenshot-on-idle", screenshotOnIdle, "write the window's drawing as PNG once shown")
        ->type_name("FILE");
    window->add_option("--screenshot-on-signal", screenshotOnSignal, "write the window's drawing as PNG on SIGUSR1")
        ->type_name("FILE");
    for (auto* drawing : {render, dump, window})
        drawing->add_option("--idiom", idiom, "the device")->check(CLI::IsMember({"phone", "pad"}));
    for (auto* drawing : {render, dump})
        drawing->add_option("--width", width, "the screen's width in points")->check(commandline::positiveNumber());
    app.require_subcommand(1);
    if (auto exit = program.parse(argc, argv)) return *exit;

    std::fprintf(stderr, "snapfold-settings-app: device root %s\n", foundation::deviceRoot().c_str());
    uikit::UIApplication::sharedApplication().setOpenURLObserver(
        [](const std::string& url) { std::printf("opened URL: %s\n", url.c_str()); });

    if (*install) {
        auto folder = build.empty() ? foundation::mainBundlePath().parent_path() : std::filesystem::path(build);
        auto installed = settingsapp::installFromBuildTree(folder);
        if (!installed) return fail(installed.error().message);
        for (const auto& path : installed.value()) std::printf("installed %s\n", path.c_str());
        for (const auto& path : settingsapp::prepareDefaultDevice()) std::printf("wrote %s\n", path.c_str());
        return 0;
    }
    if (*entries) return listEntries();
    if (*apps) return listApps();
    if (*installApp) return ::installApp(scheme, name);
    if (*removeApp) return ::removeApp(scheme);
    if (*openedURLs) return printOpenedURLs();
    if (*window) return openWindow(entryLabel, pages, idiom, screenshotOnIdle, screenshotOnSignal);

    // As the phone's Settings app runs in "/", the host runs in the device
    // root, so that relative resource paths resolve as they do there.
    std::error_code inRoot;
    std::filesystem::current_path(foundation::deviceRoot(), inRoot);
    if (inRoot) return fail("cannot enter the device root: " + inRoot.message());
    SettingsSession session;
    std::string message;
    if (!session.openEntry(entryLabel, message)) return fail(message);
    for (const auto& page : pages)
        if (!session.pushLink(page, message)) return fail(message), 2;

    if (*show) {
        std::printf("%s", preferences::describePage(*session.topPage()).c_str());
        return 0;
    }
    if (*set) return changeRow(session, row, value);
    if (*tap) return tapRow(session, row, cancel);
    if (*share) return ::share(session, cancel);
    if (*visit) return ::visit(session, row);
    if (*pick) {
        std::vector<std::string> operands{row};
        if (!item.empty()) operands.push_back(item);
        return settingsapp::pickItem(session, commandWords("pick", operands, {}));
    }
    if (*render)
        return settingsapp::runPageCommand(
            session, commandWords("render", {file}, {{"--width", width}, {"--idiom", idiom}, {"--scale", scale}}));
    return settingsapp::runPageCommand(session, commandWords("dump", {}, {{"--width", width}, {"--idiom", idiom}}));
}
