// The shared localizer: look-ups, whole lists localized in place, missing
// keys, title dictionaries, and the one instance across threads.
#include "tests/prefs/PrefsTestSupport.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/StringsTable.h"
#include "prefs/SettingsFile.h"
#include "prefs/VeltronaSnapfoldLocalizer.h"

#include <fstream>
#include <latch>
#include <set>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;
using foundation::PlistValue;
using preferences::PSSpecifier;

namespace {

class LocalizerTest : public prefstest::SettingsPageTest {
protected:
    std::shared_ptr<VeltronaSnapfoldLocalizer> localizer = VeltronaSnapfoldLocalizer::sharedLocalizer();
    static preferences::SpecifierList listOf(std::vector<preferences::PSSpecifierRef> rows) {
        return std::make_shared<preferences::SpecifierArray>(std::move(rows));
    }
    // The English text of a key, read from the installed table itself.
    static std::string english(const std::string& key) {
        std::ifstream in(
            foundation::hostPath(std::string(snapfold::prefs::kBundlePath) + "/en.lproj/Localizable.strings"));
        std::stringstream bytes;
        bytes << in.rdbuf();
        auto table = foundation::parseStringsTable(bytes.str());
        return table.ok() && table.value().count(key) ? table.value().at(key) : "";
    }
};

TEST_F(LocalizerTest, LooksKeysUpInTheDefaultTable) {
    EXPECT_EQ(localizer->localizedStringForKey("CONFIGURATION"), english("CONFIGURATION"));
    EXPECT_NE(localizer->localizedStringForKey("CONFIGURATION"), "CONFIGURATION");
}

TEST_F(LocalizerTest, AMissingKeyComesBackAsTheKey) {
    EXPECT_EQ(localizer->localizedStringForKey("NO_SUCH_KEY"), "NO_SUCH_KEY");
    EXPECT_EQ(localizer->localizedStringForKey("CONFIGURATION", std::string_view("NoSuchTable")), "CONFIGURATION");
}

TEST_F(LocalizerTest, TheUsersLanguageIsUsed) {
    foundation::setPreferredLanguagesForTesting(std::vector<std::string>{"de-DE", "en"});
    std::string german = localizer->localizedStringForKey("CONFIGURATION");
    foundation::setPreferredLanguagesForTesting(std::vector<std::string>{"en"});
    EXPECT_NE(german, localizer->localizedStringForKey("CONFIGURATION"));
    EXPECT_NE(german, "CONFIGURATION");
}

TEST_F(LocalizerTest, WithoutTheBundleEveryKeyComesBackAsIs) {
    fs::path installed = foundation::hostPath(snapfold::prefs::kBundlePath), aside = installed;
    aside += ".aside";
    fs::rename(installed, aside);
    EXPECT_FALSE(localizer->localizationBundle());
    std::string text = localizer->localizedStringForKey("CONFIGURATION");
    fs::rename(aside, installed);
    EXPECT_EQ(text, "CONFIGURATION");
}

TEST_F(LocalizerTest, ALocalizedListIsTheVeryListPassedIn) {
    auto row = PSSpecifier::preferenceSpecifierNamed("ENABLED", preferences::PSSwitchCell);
    auto list = listOf({row});
    auto kept = list;
    EXPECT_EQ(localizer->localizedSpecifiersForSpecifiers(list).get(), list.get());
    EXPECT_EQ((*kept)[0].get(), row.get());
    EXPECT_EQ(row->name(), english("ENABLED"));
}

TEST_F(LocalizerTest, AnEmptyListStaysEmptyAndNoListGivesNoList) {
    auto empty = listOf({});
    EXPECT_EQ(localizer->localizedSpecifiersForSpecifiers(empty).get(), empty.get());
    EXPECT_TRUE(empty->empty());
    EXPECT_FALSE(localizer->localizedSpecifiersForSpecifiers(nullptr));
}

TEST_F(LocalizerTest, NamesFootersAndChoiceTitlesAreLocalizedButNotTheChoices) {
    auto group = PSSpecifier::preferenceSpecifierNamed("ALBUM", preferences::PSGroupCell);
    group->setProperty(PlistValue("ALBUM_FOOTER"), "footerText");
    auto choice = PSSpecifier::preferenceSpecifierNamed("SUGGESTED_ALBUM", preferences::PSLinkListCell);
    choice->setValues({"WhatsApp", 2}, {"ALBUM_TITLE_WHATSAPP", "ALBUM_TITLE_CHATS"},
                      std::vector<std::string>{"ALBUM_SHORT_WHATSAPP", "ALBUM_SHORT_CHATS"});
    localizer->localizedSpecifiersForSpecifiers(listOf({group, choice}));
    EXPECT_EQ(group->name(), english("ALBUM"));
    EXPECT_EQ(group->stringPropertyForKey("footerText"), english("ALBUM_FOOTER"));
    ASSERT_TRUE(choice->titleDictionary() && choice->shortTitleDictionary());
    const auto& titles = *choice->titleDictionary();
    ASSERT_EQ(titles.size(), 2u);
    EXPECT_EQ(titles[0].first, PlistValue("WhatsApp"));
    EXPECT_EQ(titles[1].first, PlistValue(2));
    EXPECT_EQ(titles[0].second, english("ALBUM_TITLE_WHATSAPP"));
    EXPECT_EQ((*choice->shortTitleDictionary())[1].second, english("ALBUM_SHORT_CHATS"));
}

TEST_F(LocalizerTest, ChoiceTitlesMissingFromTheTableKeepTheirText) {
    auto choice = PSSpecifier::preferenceSpecifierNamed(std::nullopt, preferences::PSLinkListCell);
    choice->setValues({"a", "b"}, {"Title A", "Title B"}, std::nullopt);
    localizer->localizedSpecifiersForSpecifiers(listOf({choice}));
    ASSERT_TRUE(choice->titleDictionary());
    EXPECT_EQ(*choice->titleDictionary(),
              (preferences::TitleDictionary{{PlistValue("a"), "Title A"}, {PlistValue("b"), "Title B"}}));
    EXPECT_FALSE(choice->shortTitleDictionary()) << "nothing is added to a row that lacked it";
}

TEST_F(LocalizerTest, ARowWithNothingToLocalizeIsUntouched) {
    auto bare = PSSpecifier::preferenceSpecifierNamed(std::nullopt, preferences::PSStaticTextCell);
    bare->setProperty(PlistValue("ENABLED"), "key");
    auto before = bare->properties();
    localizer->localizedSpecifiersForSpecifiers(listOf({bare}));
    EXPECT_FALSE(bare->name());
    EXPECT_EQ(bare->properties(), before);
    EXPECT_FALSE(bare->titleDictionary());
}

TEST_F(LocalizerTest, ASecondPassChangesNothing) {
    auto row = PSSpecifier::preferenceSpecifierNamed("EMAIL_SUPPORT", preferences::PSButtonCell);
    auto list = listOf({row});
    localizer->localizedSpecifiersForSpecifiers(list);
    auto once = row->name();
    localizer->localizedSpecifiersForSpecifiers(list);
    EXPECT_EQ(row->name(), once);
}

TEST_F(LocalizerTest, StoringIntoASlotGivesTheSameList) {
    auto list = listOf({PSSpecifier::preferenceSpecifierNamed("MAKERS", preferences::PSLinkCell)});
    preferences::SpecifierList slot;
    localizer->loadLocalizedSpecifiersForSpecifiers(list, &slot);
    EXPECT_EQ(slot.get(), list.get());
    EXPECT_EQ((*slot)[0]->name(), english("MAKERS"));
}

TEST(LocalizerSharedInstanceTest, EveryThreadGetsTheOneInstance) {
    constexpr int kThreads = 8;
    std::latch start(kThreads);
    std::vector<VeltronaSnapfoldLocalizer*> seen(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&, i] {
            start.arrive_and_wait();
            seen[static_cast<std::size_t>(i)] = VeltronaSnapfoldLocalizer::sharedLocalizer().get();
        });
    for (auto& thread : threads) thread.join();
    std::set<VeltronaSnapfoldLocalizer*> distinct(seen.begin(), seen.end());
    EXPECT_EQ(distinct.size(), 1u);
    EXPECT_NE(*distinct.begin(), nullptr);
}

// Every language's table holds every key that the lists and pages use.
TEST_F(LocalizerTest, EveryStringsTableHoldsEveryKeyOfTheLists) {
    fs::path bundle = foundation::hostPath(snapfold::prefs::kBundlePath);
    std::set<std::string> keys{"CONFIGURATION", "MAKERS"};
    for (const char* list : {"Snapfold", "SnapfoldConfiguration", "SnapfoldMakers"}) {
        auto parsed = foundation::readPropertyListFile(bundle / (std::string(list) + ".plist"));
        ASSERT_TRUE(parsed.ok()) << list;
        for (const auto& item : *parsed.value().objectForKey("items")->array()) {
            for (const char* field : {"label", "footerText"})
                if (const PlistValue* text = item.objectForKey(field)) keys.insert(*text->string());
            for (const char* field : {"validTitles", "shortTitles"})
                if (const PlistValue* titles = item.objectForKey(field))
                    for (const auto& title : *titles->array()) keys.insert(*title.string());
        }
    }
    int languages = 0;
    for (const auto& entry : fs::directory_iterator(bundle)) {
        if (entry.path().extension() != ".lproj") continue;
        ++languages;
        std::ifstream in(entry.path() / "Localizable.strings");
        std::stringstream bytes;
        bytes << in.rdbuf();
        auto table = foundation::parseStringsTable(bytes.str());
        ASSERT_TRUE(table.ok()) << entry.path();
        for (const auto& key : keys) {
            EXPECT_TRUE(table.value().count(key)) << entry.path().filename() << " lacks " << key;
            if (table.value().count(key)) {
                EXPECT_FALSE(keys.count(table.value().at(key))) << "a text that is a key: " << key;
            }
        }
    }
    EXPECT_GE(languages, 4);
}

}  // namespace
