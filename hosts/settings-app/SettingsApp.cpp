// snapfold-settings-app: the Settings app, as text. It lists the add-on
// settings entries of a device root, opens the Snapfold pages from the
// installed bundle, prints a page as a table, changes a row's value through
// the page (which rewrites the settings file and notifies every process that
// loaded the hook library), follows links, taps buttons, custom cells and the
// share button, and says what happened. It also says which client apps the
// device has (the URL schemes they take) and prints the URLs it opened.
#include "hosts/settings-app/DeviceSetup.h"
#include "hosts/settings-app/PageActions.h"
#include "hosts/settings-app/PageRenderCommands.h"
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

#include <filesystem>
#include <optional>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using settingsapp::SettingsSession;

int usage() {
    std::fprintf(stderr,
                 "usage: snapfold-settings-app [--device-root DIR] [--entry LABEL] [--page ROW]... [--cancel] COMMAND\n"
                 "  install [BUILD-DIR]    install the built bundle and its entry into the device root,\n"
                 "                         and a default device where it has none\n"
                 "  entries                list the settings entries\n"
                 "  show                   print the page as a table\n"
                 "  set ROW VALUE          change a row's value through the page\n"
                 "  tap ROW                tap a row: follow a link, or run a button's action\n"
                 "  share                  tap the share button\n"
                 "  visit ROW              follow a link to its page and come back, showing the bars\n"
                 "  apps                   list the client apps installed on the device, by URL scheme\n"
                 "  install-app SCHEME [NAME]  say that an app taking SCHEME URLs is installed\n"
                 "  remove-app SCHEME      say that the app taking SCHEME URLs is removed\n"
                 "  opened-urls            print every URL the device was asked to open\n"
                 "  window [--idiom phone|pad] [--screenshot-on-idle FILE] [--screenshot-on-signal FILE]\n"
                 "                         open the pages in a desktop window, used with mouse and keyboard\n"
                 "                         (the screenshot options write the window's drawing as PNG)\n"
                 "%s"
                 "--page ROW follows a link row from the first page before the command (repeatable);\n"
                 "--cancel cancels a sheet that a command opens instead of sending it.\n"
                 "ROW is a row's key, id, title or label key.\n",
                 settingsapp::kPageCommandsUsage);
    return 2;
}

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
    case settingsapp::TapResult::Nothing:
        return 0;
    case settingsapp::TapResult::Performed:
    case settingsapp::TapResult::SheetShown:
        return finishSheets(session, cancel);
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

// "window [--idiom phone|pad] [--screenshot-on-idle FILE] [--screenshot-on-signal FILE]".
int openWindow(const std::vector<std::string>& arguments, const std::string& entryLabel,
               const std::vector<std::string>& pages) {
    settingsapp::WindowOptions options;
    options.entryLabel = entryLabel;
    options.pages = pages;
    std::optional<bool> pad;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        bool hasValue = i + 1 < arguments.size();
        if (arguments[i] == "--idiom" && hasValue && (arguments[i + 1] == "phone" || arguments[i + 1] == "pad")) {
            pad = arguments[++i] == "pad";
        } else if (arguments[i] == "--screenshot-on-idle" && hasValue) {
            options.screenshotOnIdle = std::filesystem::absolute(arguments[++i]).string();
        } else if (arguments[i] == "--screenshot-on-signal" && hasValue) {
            options.screenshotOnSignal = std::filesystem::absolute(arguments[++i]).string();
        } else {
            return fail("unexpected argument to window: " + arguments[i]), 2;
        }
    }
    // The idiom is read when the header views and cells are made.
    if (pad) uikit::UIDevice::setSimulatedIdiom(*pad ? uikit::UIDevice::IdiomOverride::Pad : uikit::UIDevice::IdiomOverride::Phone);
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

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string entryLabel = "Snapfold";
    std::vector<std::string> pages;
    std::vector<std::string> rest;
    bool cancel = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--device-root" && i + 1 < args.size()) {
            foundation::setDeviceRoot(args[++i]);
        } else if (args[i] == "--entry" && i + 1 < args.size()) {
            entryLabel = args[++i];
        } else if (args[i] == "--page" && i + 1 < args.size()) {
            pages.push_back(args[++i]);
        } else if (args[i] == "--cancel") {
            cancel = true;
        } else if (args[i] == "-h" || args[i] == "--help") {
            return usage();
        } else {
            rest.push_back(args[i]);
        }
    }
    if (rest.empty()) return usage();
    const std::string command = rest[0];
    std::fprintf(stderr, "snapfold-settings-app: device root %s\n", foundation::deviceRoot().c_str());
    uikit::UIApplication::sharedApplication().setOpenURLObserver(
        [](const std::string& url) { std::printf("opened URL: %s\n", url.c_str()); });

    if (command == "install" && rest.size() <= 2) {
        auto build = rest.size() == 2 ? std::filesystem::path(rest[1]) : foundation::mainBundlePath().parent_path();
        auto installed = settingsapp::installFromBuildTree(build);
        if (!installed) return fail(installed.error().message);
        for (const auto& path : installed.value()) std::printf("installed %s\n", path.c_str());
        for (const auto& path : settingsapp::prepareDefaultDevice()) std::printf("wrote %s\n", path.c_str());
        return 0;
    }
    if (command == "entries" && rest.size() == 1) return listEntries();
    if (command == "apps" && rest.size() == 1) return listApps();
    if (command == "install-app" && (rest.size() == 2 || rest.size() == 3))
        return installApp(rest[1], rest.size() == 3 ? rest[2] : "");
    if (command == "remove-app" && rest.size() == 2) return removeApp(rest[1]);
    if (command == "opened-urls" && rest.size() == 1) return printOpenedURLs();
    if (command == "window") return openWindow(rest, entryLabel, pages);

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

    if (command == "show" && rest.size() == 1) {
        std::printf("%s", preferences::describePage(*session.topPage()).c_str());
        return 0;
    }
    if (command == "set" && rest.size() == 3) return changeRow(session, rest[1], rest[2]);
    if (command == "tap" && rest.size() == 2) return tapRow(session, rest[1], cancel);
    if (command == "share" && rest.size() == 1) return share(session, cancel);
    if (command == "visit" && rest.size() == 2) return visit(session, rest[1]);
    if (settingsapp::isPageCommand(command)) return settingsapp::runPageCommand(session, rest);
    std::fprintf(stderr, "snapfold-settings-app: unknown command or wrong arguments: %s\n", command.c_str());
    return usage();
}
