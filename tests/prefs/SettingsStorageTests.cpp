// Reading and writing the rows of the settings pages against real files.
#include "tests/prefs/PrefsTestSupport.h"

#include "platform/foundation/NSLog.h"
#include "prefs/SettingsFile.h"
#include "prefs/SnapfoldListController.h"

#include <atomic>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;
using foundation::PlistValue;

namespace {

class SettingsStorageTest : public prefstest::SettingsPageTest {
protected:
    void SetUp() override {
        SettingsPageTest::SetUp();
        page = SnapfoldListController::create();
        page->setBundle(foundation::NSBundle::bundleWithPath(snapfold::prefs::kBundlePath));
        page->specifiers();
    }
    preferences::PSSpecifier& row(std::string_view key) {
        auto found = page->specifierForID(key);
        EXPECT_TRUE(found) << key;
        return *found;
    }
    std::shared_ptr<SnapfoldListController> page;
};

TEST_F(SettingsStorageTest, RowsShowTheirDefaultUntilTheFirstChange) {
    EXPECT_EQ(page->readPreferenceValue(&row("isEnabled")), PlistValue(true));
    EXPECT_EQ(page->readPreferenceValue(&row("albumName")), PlistValue("WhatsApp"));
    page->setPreferenceValue(PlistValue("Trips"), &row("albumName"));
    EXPECT_EQ(page->readPreferenceValue(&row("albumName")), PlistValue("Trips"));
    EXPECT_EQ(page->readPreferenceValue(&row("isEnabled")), PlistValue(true))
        << "an untouched row still shows its default";
}

TEST_F(SettingsStorageTest, StoredFalseAndEmptyStringAreShownAsStored) {
    page->setPreferenceValue(PlistValue(false), &row("isEnabled"));
    page->setPreferenceValue(PlistValue(""), &row("albumName"));
    EXPECT_EQ(page->readPreferenceValue(&row("isEnabled")), PlistValue(false));
    EXPECT_EQ(page->readPreferenceValue(&row("albumName")), PlistValue(""));
    auto stored = prefstest::readSettingsFile();
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->at("isEnabled"), PlistValue(false));
}

TEST_F(SettingsStorageTest, AChangeKeepsEveryOtherKeyOfTheFile) {
    prefstest::writeSettingsFile({{"albumName", "Family"}, {"notOnAnyPage", 7}, {"nested", PlistValue::Array{1, "x"}}});
    page->setPreferenceValue(PlistValue(false), &row("isEnabled"));
    auto stored = prefstest::readSettingsFile();
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->size(), 4u);
    EXPECT_EQ(stored->at("albumName"), PlistValue("Family"));
    EXPECT_EQ(stored->at("notOnAnyPage"), PlistValue(7));
    EXPECT_EQ(stored->at("nested"), PlistValue(PlistValue::Array{1, "x"}));
    EXPECT_EQ(stored->at("isEnabled"), PlistValue(false));
}

TEST_F(SettingsStorageTest, TheFileIsWrittenAsAnXmlPropertyList) {
    page->setPreferenceValue(PlistValue("Trips"), &row("albumName"));
    std::ifstream in(prefstest::settingsFile());
    std::string first;
    std::getline(in, first);
    EXPECT_TRUE(first.starts_with("<?xml")) << first;
}

TEST_F(SettingsStorageTest, EachChangePostsExactlyOneNotification) {
    prefstest::PostCounter posts(snapfold::prefs::kSettingsChangedNotification);
    page->setPreferenceValue(PlistValue(false), &row("isEnabled"));
    EXPECT_EQ(posts.countAfterDrain(), 1);
    page->setPreferenceValue(PlistValue("A"), &row("albumName"));
    page->setPreferenceValue(PlistValue("B"), &row("albumName"));
    EXPECT_EQ(posts.countAfterDrain(), 3);
}

TEST_F(SettingsStorageTest, AReaderNeverSeesAPartialFile) {
    prefstest::writeSettingsFile({{"albumName", "start"}, {"padding", std::string(20000, 'p')}});
    std::atomic<bool> done{false};
    std::atomic<int> incomplete{0}, reads{0};
    std::thread reader([&] {
        while (!done.load()) {
            auto seen = foundation::dictionaryWithContentsOfFile(snapfold::prefs::kSettingsFilePath);
            if (!seen || !seen->count("padding") || !seen->count("albumName")) ++incomplete;
            ++reads;
        }
    });
    for (int i = 0; i < 200; ++i) page->setPreferenceValue(PlistValue("album " + std::to_string(i)), &row("albumName"));
    done = true;
    reader.join();
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(incomplete.load(), 0);
    // Nothing but the file itself is left in the folder.
    for (const auto& entry : fs::directory_iterator(prefstest::settingsFile().parent_path()))
        EXPECT_FALSE(entry.path().filename().string().find(".tmp.") != std::string::npos) << entry.path();
}

TEST_F(SettingsStorageTest, AnUnreadableFileIsKeptBesideItBeforeItIsReplaced) {
    { std::ofstream(prefstest::settingsFile()) << "<plist><dict><key>albumName</key><string>Fam"; }
    std::vector<std::string> logged;
    foundation::setLogSinkForTesting([&](const std::string& line) { logged.push_back(line); });
    page->setPreferenceValue(PlistValue(false), &row("isEnabled"));
    foundation::setLogSinkForTesting(nullptr);
    fs::path kept = prefstest::settingsFile();
    kept += ".unreadable";
    std::ifstream copy(kept);
    std::string text((std::istreambuf_iterator<char>(copy)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "<plist><dict><key>albumName</key><string>Fam");
    EXPECT_EQ(prefstest::readSettingsFile(), (foundation::NSDictionary{{"isEnabled", false}}));
    EXPECT_FALSE(logged.empty());
}

TEST_F(SettingsStorageTest, ASecondUnreadableFileDoesNotOverwriteTheFirstCopy) {
    { std::ofstream(prefstest::settingsFile()) << "first"; }
    page->setPreferenceValue(PlistValue(false), &row("isEnabled"));
    { std::ofstream(prefstest::settingsFile()) << "second"; }
    page->setPreferenceValue(PlistValue(true), &row("isEnabled"));
    fs::path first = prefstest::settingsFile(), second = prefstest::settingsFile();
    first += ".unreadable";
    second += ".unreadable.1";
    std::ifstream a(first), b(second);
    std::string textA, textB;
    a >> textA;
    b >> textB;
    EXPECT_EQ(textA, "first");
    EXPECT_EQ(textB, "second");
}

TEST_F(SettingsStorageTest, AChangePostsEvenWhenTheUnreadableFileCanNeitherBeKeptNorReplaced) {
    // A folder where the file should be: it cannot be read, copied aside or
    // replaced, yet every process that loaded the hook library must be told.
    fs::create_directory(prefstest::settingsFile());
    prefstest::PostCounter posts(snapfold::prefs::kSettingsChangedNotification);
    page->setPreferenceValue(PlistValue(false), &row("isEnabled"));
    page->setPreferenceValue(PlistValue("Trips"), &row("albumName"));
    EXPECT_EQ(posts.countAfterDrain(), 2);
    EXPECT_TRUE(fs::is_directory(prefstest::settingsFile())) << "what could not be kept is left as it was";
}

TEST_F(SettingsStorageTest, ARowWithoutAKeyStoresAndPostsNothing) {
    auto keyless = preferences::PSSpecifier::create();
    keyless->setProperty(PlistValue(snapfold::prefs::kSettingsChangedNotification), "PostNotification");
    prefstest::PostCounter posts(snapfold::prefs::kSettingsChangedNotification);
    page->setPreferenceValue(PlistValue("x"), keyless.get());
    EXPECT_FALSE(fs::exists(prefstest::settingsFile()));
    EXPECT_EQ(posts.countAfterDrain(), 0);
}

TEST_F(SettingsStorageTest, ARowWithoutANotificationStoresButPostsNothing) {
    auto silent = preferences::PSSpecifier::create();
    silent->setProperty(PlistValue("albumName"), "key");
    prefstest::PostCounter posts(snapfold::prefs::kSettingsChangedNotification);
    page->setPreferenceValue(PlistValue("Quiet"), silent.get());
    EXPECT_EQ(prefstest::readSettingsFile(), (foundation::NSDictionary{{"albumName", "Quiet"}}));
    EXPECT_EQ(posts.countAfterDrain(), 0);
}

TEST_F(SettingsStorageTest, TheShownCellTracksTheStoredValue) {
    auto table = page->table();
    auto path = page->indexPathForSpecifier(row("albumName"));
    ASSERT_TRUE(path);
    page->setValueForSpecifier(PlistValue("Holiday"), row("albumName"));
    auto cell = std::dynamic_pointer_cast<preferences::PSTableCell>(
        page->tableViewCellForRowAtIndexPath(*table, *path));
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->displayedValue(), "Holiday");
}

}  // namespace
