// snapfold-settings-app: the Settings app, as text. It lists the add-on
// settings entries of a device root, opens the Snapfold pages from the
// installed bundle, prints a page as a table, changes a row's value through
// the page (which rewrites the settings file and notifies every process that
// loaded the hook library), picks an item of a choice row's list, follows
// links, taps buttons, custom cells and the share button, and says what
// happened. It also says which client apps the
// device has (the URL schemes they take) and prints the URLs it opened.
#include "hosts/settings-app/DeviceSetup.h"
#include "hosts/settings-app/PageRenderCommands.h"
#include "hosts/settings-app/PickCommand.h"
#include "hosts/settings-app/PostWatch.h"
#include "hosts/settings-app/SettingsSession.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSBundle.h"
#include "platform/messageui/MFMailComposeViewController.h"
#include "platform/preferences/PageDescription.h"
#include "platform/preferences/SpecifierValueParsing.h"
#include "platform/social/SLComposeViewController.h"
#include "platform/uikit/DeviceURLHandlers.h"
#include "platform/uikit/OpenedURLLog.h"
#include "platform/uikit/UIApplication.h"

#include <csignal>
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
                 "%s"
                 "  apps                   list the client apps installed on the device, by URL scheme\n"
                 "  install-app SCHEME [NAME]  say that an app taking SCHEME URLs is installed\n"
                 "  remove-app SCHEME      say that the app taking SCHEME URLs is removed\n"
                 "  opened-urls            print every URL the device was asked to open\n"
                 "%s"
                 "--page ROW follows a link row from the first page before the command (repeatable);\n"
                 "--cancel cancels a sheet that a command opens instead of sending it.\n"
                 "ROW is a row's key, id, title or label key.\n",
                 settingsapp::kPickUsage, settingsapp::kPageCommandsUsage);
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

int changeRow(SettingsSession& session, const std::string& rowName, const std::string& text) {
    auto* page = session.topPage();
    auto row = session.findRow(rowName);
    if (!row) return fail("no row \"" + rowName + "\" on this page; nothing changed"), 2;
    if (!row->propertyForKey("key"))
        return fail("the row \"" + rowName + "\" has no value to change; nothing changed"), 2;
    auto value = preferences::valueFromText(*row, text);
    if (!value) return fail(value.error().message + "; nothing changed"), 2;
    auto before = page->valueForSpecifier(*row);
    auto notification = row->stringPropertyForKey("PostNotification");
    std::optional<settingsapp::PostWatch> watch;
    if (notification) watch.emplace(*notification);
    page->setValueForSpecifier(value.value(), *row);
    auto after = page->valueForSpecifier(*row);
    std::printf("%s: %s -> %s\n", row->stringPropertyForKey("key")->c_str(),
                before ? before->description().c_str() : "(none)", after ? after->description().c_str() : "(none)");
    // Reported only when the post really reached the notify center.
    if (watch && watch->sawPost()) std::printf("posted: %s\n", notification->c_str());
    return 0;
}

// Finishes whatever sheet a tap presented, as the person would.
int finishSheets(SettingsSession& session, bool cancel) {
    auto* page = session.topPage();
    if (auto mail = std::dynamic_pointer_cast<messageui::MFMailComposeViewController>(
            session.innerNavigation().presentedViewController())) {
        std::printf("mail sheet: to %s, subject \"%s\", %zu attachment(s)\n",
                    mail->toRecipients().empty() ? "(nobody)" : mail->toRecipients().front().c_str(),
                    mail->subject().c_str(), mail->attachments().size());
        for (const auto& attachment : mail->attachments())
            std::printf("  attachment: %s (%s, %zu bytes)\n", attachment.fileName.c_str(), attachment.mimeType.c_str(),
                        attachment.data->size());
        if (cancel) {
            mail->cancel();
            std::printf("mail cancelled\n");
        } else {
            auto written = mail->send();
            if (!written) return fail("the mail could not be written: " + written.error().message);
            std::printf("mail written: %s\n  (%s)\n", written.value().c_str(),
                        foundation::hostPath(written.value()).c_str());
        }
        SettingsSession::runFor(1.0);
        std::printf("mail sheet %s\n", session.innerNavigation().presentedViewController() ? "still shown" : "dismissed");
        return 0;
    }
    if (auto sheet = page ? std::dynamic_pointer_cast<social::SLComposeViewController>(page->presentedViewController())
                          : nullptr) {
        std::printf("share sheet: \"%s\"\n", sheet->initialText().c_str());
        if (cancel) {
            sheet->cancel();
            std::printf("share cancelled\n");
        } else {
            sheet->send();
        }
        SettingsSession::runFor(1.0);
        std::printf("share sheet %s\n", page->presentedViewController() ? "still shown" : "dismissed");
        return 0;
    }
    std::printf("nothing was shown\n");
    return 0;
}

// A row with a cell class of its own answers a tap in its cell: the table
// selects the row's cell and, as the Settings app does after every tap,
// deselects it again.
void selectAndDeselectCell(preferences::PSListController& page, preferences::PSSpecifier& row) {
    auto indexPath = page.indexPathForSpecifier(row);
    auto cell = indexPath ? page.tableViewCellForRowAtIndexPath(*page.table(), *indexPath) : nullptr;
    if (!cell) return;
    std::printf("selected: %s: %s\n", cell->isa()->name().c_str(), preferences::labelTexts(*cell).c_str());
    cell->setSelected(true, false);
    cell->setSelected(false, true);
}

int tapRow(SettingsSession& session, const std::string& rowName, bool cancel) {
    auto* page = session.topPage();
    auto row = session.findRow(rowName);
    if (!row) return fail("no row \"" + rowName + "\" on this page"), 2;
    if (row->detailControllerClass()) {
        std::string message;
        if (!session.pushLink(rowName, message)) return fail(message);
        std::printf("%s", preferences::describePage(*session.topPage()).c_str());
        session.goBack();
        return 0;
    }
    if (row->cellClass()) {
        selectAndDeselectCell(*page, *row);
        if (row->buttonAction().empty()) return 0;
    }
    if (row->buttonAction().empty()) {
        std::printf("the row \"%s\" does nothing when tapped\n", rowName.c_str());
        return 0;
    }
    std::printf("action: %s\n", row->buttonAction().c_str());
    page->performActionForSpecifier(*row);
    return finishSheets(session, cancel);
}

int share(SettingsSession& session, bool cancel) {
    auto* page = session.topPage();
    const auto& button = page->navigationItem().rightBarButtonItem();
    if (!button) return fail("this page has no share button");
    button->tap();
    if (!page->presentedViewController()) {
        std::printf("no sheet: Twitter is not available on this device\n");
        return 0;
    }
    return finishSheets(session, cancel);
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
    std::signal(SIGXFSZ, SIG_IGN);  // a file-size limit fails the write (EFBIG, "no space"), never the app
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string entryLabel = "Snapfold";
    std::vector<std::string> pages;
    std::vector<std::string> rest;
    bool cancel = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--device-root" && i + 1 < args.size()) {
            if (auto named = foundation::setDeviceRoot(args[++i]); !named) {
                std::fprintf(stderr, "snapfold-settings-app: %s\n", named.error().message.c_str());
                return 2;
            }
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
    if (command == "pick" && (rest.size() == 2 || rest.size() == 3)) return settingsapp::pickItem(session, rest);
    if (settingsapp::isPageCommand(command)) return settingsapp::runPageCommand(session, rest);
    std::fprintf(stderr, "snapfold-settings-app: unknown command or wrong arguments: %s\n", command.c_str());
    return usage();
}
