// The list a choice row opens: the suggested albums of the configuration
// page, picked as a person picks them.
#include "tests/prefs/PrefsTestSupport.h"

#include "platform/preferences/PSListItemsController.h"
#include "prefs/SettingsFile.h"
#include "prefs/VeltronaSnapfoldConfigurationListController.h"

namespace {

using preferences::PSListItemsController;

class ChoiceListTest : public prefstest::SettingsPageTest {};

TEST_F(ChoiceListTest, TheSuggestedAlbumsAreListedCheckedAndPickedThroughThePage) {
    auto bundle = foundation::NSBundle::bundleWithPath(snapfold::prefs::kBundlePath);
    auto text = [&](const char* key) { return bundle->localizedStringForKey(key, "", std::nullopt); };
    auto configuration = VeltronaSnapfoldConfigurationListController::create();
    configuration->setBundle(bundle);
    auto shown = prefstest::showPage(configuration);
    auto albumRow = configuration->specifierForID("albumName");
    ASSERT_TRUE(albumRow);
    auto list = std::dynamic_pointer_cast<PSListItemsController>(configuration->controllerForSpecifier(albumRow));
    ASSERT_TRUE(list);
    shown.inner->pushViewController(list, false);

    std::vector<std::string> titles;
    for (const auto& item : *list->specifiers()) titles.push_back(item->name().value_or(""));
    EXPECT_EQ(titles, (std::vector<std::string>{text("ALBUM_TITLE_WHATSAPP"), text("ALBUM_TITLE_SNAPFOLD"),
                                                text("ALBUM_TITLE_CHATS")}));
    auto checkmarks = [&] {
        std::vector<bool> marks;
        for (long row = 0; row < static_cast<long>(titles.size()); ++row)
            marks.push_back(list->tableViewCellForRowAtIndexPath(*list->table(), {0, row})->accessoryType() ==
                            uikit::UITableViewCellAccessoryCheckmark);
        return marks;
    };
    EXPECT_EQ(checkmarks(), (std::vector<bool>{true, false, false})) << "no file yet: the row's default";

    prefstest::PostCounter posts(snapfold::prefs::kSettingsChangedNotification);
    ASSERT_TRUE(list->listItemSelected(2));
    EXPECT_EQ(posts.countAfterDrain(), 1);
    EXPECT_EQ(prefstest::readSettingsFile(), (foundation::NSDictionary{{"albumName", "Chats"}}));
    EXPECT_EQ(checkmarks(), (std::vector<bool>{false, false, true}));

    shown.inner->popViewControllerAnimated(false);
    auto path = configuration->indexPathForSpecifier(*albumRow);
    ASSERT_TRUE(path);
    auto cell = std::dynamic_pointer_cast<preferences::PSTableCell>(
        configuration->tableViewCellForRowAtIndexPath(*configuration->table(), *path));
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->displayedValue(), text("ALBUM_SHORT_CHATS"));
}

}  // namespace
