#include "hosts/settings-app/PickCommand.h"

#include "hosts/settings-app/PostWatch.h"
#include "platform/preferences/PSListItemsController.h"
#include "platform/preferences/PageDescription.h"

#include <cctype>
#include <cstdio>
#include <optional>

namespace settingsapp {

const char* const kPickUsage =
    "  pick ROW ITEM          open the choice row ROW and tap its item ITEM (a number from 1, a title\n"
    "                         or a value); on a choice list opened with --page: pick ITEM\n";

namespace {

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::optional<std::size_t> findItem(preferences::PSListItemsController& list, const std::string& wanted) {
    auto items = list.specifiers();
    bool number = !wanted.empty() && wanted.size() < 6 && wanted.find_first_not_of("0123456789") == std::string::npos;
    if (number) {
        std::size_t position = std::stoul(wanted);
        if (position >= 1 && position <= items->size()) return position - 1;
        return std::nullopt;
    }
    for (std::size_t i = 0; i < items->size(); ++i)
        if (lower((*items)[i]->name().value_or("")) == lower(wanted)) return i;
    for (std::size_t i = 0; i < items->size(); ++i) {
        const auto* value = (*items)[i]->propertyForKey(preferences::PSListItemsController::kItemValueKey);
        if (value && value->string() && lower(*value->string()) == lower(wanted)) return i;
    }
    return std::nullopt;
}

std::string shown(const std::optional<foundation::PlistValue>& value) {
    return value ? value->description() : "(none)";
}

int fail(const std::string& message) {
    std::fprintf(stderr, "snapfold-settings-app: %s\n", message.c_str());
    return 2;
}

}  // namespace

int pickItem(SettingsSession& session, const std::vector<std::string>& arguments) {
    bool openedHere = arguments.size() == 3;
    if (openedHere) {
        std::string message;
        if (!session.pushLink(arguments[1], message)) return fail(message + "; nothing chosen");
    }
    auto* list = dynamic_cast<preferences::PSListItemsController*>(session.topPage());
    if (!list) return fail("this page is no choice list; use: pick ROW ITEM");
    auto row = list->specifier();
    const std::string& wanted = arguments.back();
    auto index = findItem(*list, wanted);
    if (!row || !index) return fail("no item \"" + wanted + "\" in this list; nothing chosen");

    auto before = list->currentValue();
    std::optional<PostWatch> watch;
    if (auto notification = row->stringPropertyForKey("PostNotification")) watch.emplace(*notification);
    list->listItemSelected(*index);
    std::printf("%s", preferences::describePage(*list).c_str());
    std::printf("%s: %s -> %s\n", row->stringPropertyForKey("key").value_or("(no key)").c_str(), shown(before).c_str(),
                shown(list->currentValue()).c_str());
    if (watch && watch->sawPost()) std::printf("posted: %s\n", row->stringPropertyForKey("PostNotification")->c_str());

    if (openedHere) {
        session.goBack();
        auto* page = session.topPage();
        auto path = page ? page->indexPathForSpecifier(*row) : std::nullopt;
        auto cell = path ? std::dynamic_pointer_cast<preferences::PSTableCell>(
                               page->tableViewCellForRowAtIndexPath(*page->table(), *path))
                         : nullptr;
        if (cell) std::printf("%s shows: %s\n", row->name().value_or("").c_str(), cell->displayedValue().c_str());
    }
    return 0;
}

}  // namespace settingsapp
