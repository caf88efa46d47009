#include "hosts/settings-app/PageActions.h"

#include "hosts/settings-app/PostWatch.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/messageui/MFMailComposeViewController.h"
#include "platform/preferences/PSListItemsController.h"
#include "platform/preferences/PSTableCell.h"
#include "platform/preferences/PageDescription.h"
#include "platform/preferences/SpecifierValueParsing.h"
#include "platform/social/SLComposeViewController.h"

#include <optional>

namespace settingsapp {

namespace {

using foundation::ErrorCode;
using foundation::makeError;

std::string rowName(const preferences::PSSpecifier& row) {
    for (const char* property : {"key", "id"})
        if (auto name = row.stringPropertyForKey(property)) return *name;
    return row.name().value_or("(unnamed row)");
}

foundation::ErrorOr<void> storeValue(preferences::PSListController& page, preferences::PSSpecifier& row,
                                     foundation::PlistValue value, const Say& say) {
    auto before = page.valueForSpecifier(row);
    auto notification = row.stringPropertyForKey("PostNotification");
    std::optional<PostWatch> watch;
    if (notification) watch.emplace(*notification);
    page.setValueForSpecifier(std::move(value), row);
    auto after = page.valueForSpecifier(row);
    say(rowName(row) + ": " + (before ? before->description() : "(none)") + " -> " +
        (after ? after->description() : "(none)"));
    // Said only when the post really reached the notify center.
    if (watch && watch->sawPost()) say("posted: " + *notification);
    return {};
}

std::shared_ptr<messageui::MFMailComposeViewController> shownMail(SettingsSession& session) {
    return std::dynamic_pointer_cast<messageui::MFMailComposeViewController>(
        session.innerNavigation().presentedViewController());
}

std::shared_ptr<social::SLComposeViewController> shownShareSheet(SettingsSession& session) {
    auto* page = session.topPage();
    return page ? std::dynamic_pointer_cast<social::SLComposeViewController>(page->presentedViewController()) : nullptr;
}

// A row with a cell class of its own answers a tap in its cell: the table
// selects the row's cell and, as the Settings app does after every tap,
// deselects it again.
void selectAndDeselectCell(preferences::PSListController& page, preferences::PSSpecifier& row, const Say& say) {
    auto indexPath = page.indexPathForSpecifier(row);
    auto cell = indexPath ? page.tableViewCellForRowAtIndexPath(*page.table(), *indexPath) : nullptr;
    if (!cell) return;
    say("selected: " + cell->isa()->name() + ": " + preferences::labelTexts(*cell));
    cell->setSelected(true, false);
    cell->setSelected(false, true);
}

}  // namespace

foundation::ErrorOr<void> changeRowValue(preferences::PSListController& page, preferences::PSSpecifier& row,
                                         std::string_view text, const Say& say) {
    if (!row.propertyForKey("key"))
        return makeError(ErrorCode::InvalidArgument,
                         "the row \"" + rowName(row) + "\" has no value to change; nothing changed");
    auto value = preferences::valueFromText(row, text);
    // The person reads this: it says that the refused text left the value
    // as it was.
    if (!value) return makeError(value.error().code, value.error().message + "; nothing changed");
    return storeValue(page, row, std::move(value.value()), say);
}

foundation::ErrorOr<void> toggleSwitchRow(preferences::PSListController& page, preferences::PSSpecifier& row,
                                          const Say& say) {
    if (row.cellType() != preferences::PSSwitchCell || !row.propertyForKey("key"))
        return makeError(ErrorCode::InvalidArgument, "the row \"" + rowName(row) + "\" is not a switch");
    auto current = page.valueForSpecifier(row);
    bool on = current && current->boolValue().value_or(false);
    return storeValue(page, row, foundation::PlistValue(!on), say);
}

foundation::ErrorOr<TapResult> tapRow(SettingsSession& session, const preferences::PSSpecifierRef& row,
                                      const Say& say) {
    auto* page = session.topPage();
    if (!page || !row) return makeError(ErrorCode::NotFound, "there is no such row on this page");
    if (row->detailControllerClass()) {
        std::string message;
        if (!session.pushRow(row, message)) return makeError(ErrorCode::NotFound, message);
        return TapResult::Pushed;
    }
    // An item of a choice list stores its value through the page that showed
    // the list's row, as a tap on it does on the phone.
    if (auto* list = dynamic_cast<preferences::PSListItemsController*>(page)) {
        auto items = list->specifiers();
        for (std::size_t i = 0; items && i < items->size(); ++i) {
            if ((*items)[i] != row) continue;
            auto opening = list->specifier();
            std::optional<PostWatch> watch;
            auto notification = opening ? opening->stringPropertyForKey("PostNotification") : std::nullopt;
            if (notification) watch.emplace(*notification);
            if (!list->listItemSelected(i)) return makeError(ErrorCode::Unavailable, "the item could not be chosen");
            say("picked: " + row->name().value_or(rowName(*row)));
            if (watch && watch->sawPost()) say("posted: " + *notification);
            return TapResult::Performed;
        }
    }
    if (row->cellClass()) selectAndDeselectCell(*page, *row, say);
    if (row->buttonAction().empty()) {
        if (!row->cellClass()) say("the row \"" + rowName(*row) + "\" does nothing when tapped");
        return TapResult::Nothing;
    }
    say("action: " + row->buttonAction());
    page->performActionForSpecifier(*row);
    return describeShownSheet(session).empty() ? TapResult::Performed : TapResult::SheetShown;
}

foundation::ErrorOr<bool> tapShareButton(SettingsSession& session, const Say& say) {
    auto* page = session.topPage();
    const auto& button = page ? page->navigationItem().rightBarButtonItem() : nullptr;
    if (!button) return makeError(ErrorCode::NotFound, "this page has no share button");
    button->tap();
    if (!page->presentedViewController()) {
        say("no sheet: Twitter is not available on this device");
        return false;
    }
    return true;
}

std::string describeShownSheet(SettingsSession& session) {
    if (auto mail = shownMail(session)) {
        std::string text = "mail sheet: to " +
                           (mail->toRecipients().empty() ? std::string("(nobody)") : mail->toRecipients().front()) +
                           ", subject \"" + mail->subject() + "\", " + std::to_string(mail->attachments().size()) +
                           " attachment(s)";
        for (const auto& attachment : mail->attachments())
            text += "\n  attachment: " + attachment.fileName + " (" + attachment.mimeType + ", " +
                    std::to_string(attachment.data->size()) + " bytes)";
        return text;
    }
    if (auto sheet = shownShareSheet(session)) return "share sheet: \"" + sheet->initialText() + "\"";
    return {};
}

foundation::ErrorOr<void> finishSheet(SettingsSession& session, bool cancel, const Say& say) {
    if (auto mail = shownMail(session)) {
        if (cancel) {
            mail->cancel();
            say("mail cancelled");
        } else {
            auto written = mail->send();
            // The outbox's error alone would not say that it was the mail.
            if (!written)
                return makeError(written.error().code, "the mail could not be written: " + written.error().message);
            say("mail written: " + written.value() + "\n  (" + foundation::hostPath(written.value()).string() + ")");
        }
        SettingsSession::runFor(1.0);
        say(std::string("mail sheet ") +
            (session.innerNavigation().presentedViewController() ? "still shown" : "dismissed"));
        return {};
    }
    if (auto sheet = shownShareSheet(session)) {
        if (cancel) {
            sheet->cancel();
            say("share cancelled");
        } else {
            sheet->send();
        }
        SettingsSession::runFor(1.0);
        auto* page = session.topPage();
        say(std::string("share sheet ") + (page && page->presentedViewController() ? "still shown" : "dismissed"));
        return {};
    }
    say("nothing was shown");
    return {};
}

}  // namespace settingsapp
