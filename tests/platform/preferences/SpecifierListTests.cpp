// The specifier-list reader, the list page's sections and routing, the
// value parsing for typed input, and the Settings app's entries.
#include "platform/foundation/CoreFoundationVersion.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/preferences/PSListController.h"
#include "platform/preferences/PreferenceLoaderEntries.h"
#include "platform/preferences/PreferencesSelectors.h"
#include "platform/preferences/SpecifierValueParsing.h"
#include "platform/preferences/SpecifiersFromPlist.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using foundation::PlistValue;
using namespace preferences;

namespace {

PlistValue listOf(PlistValue::Array items) { return PlistValue(foundation::NSDictionary{{"items", std::move(items)}}); }

// A cell class known to the runtime, to check that rows naming it get it.
class RecordingCell : public PSTableCell {
public:
    static objc::Class objcClass() {
        static objc::Class cls = objc::objc_registerClass(
            "SnapfoldTestRecordingCell", PSTableCell::objcClass(),
            [](objc::Class isa) { return objc::make<RecordingCell>(isa); });
        return cls;
    }
    std::shared_ptr<PSTableCell> initWithStyle(long style, std::string reuse, PSSpecifier* specifier) override {
        madeWith = specifier ? specifier->stringPropertyForKey("custom").value_or("") : "";
        return PSTableCell::initWithStyle(style, std::move(reuse), specifier);
    }
    std::string madeWith;

protected:
    friend objc::Allocation;
    explicit RecordingCell(objc::Class isa = objcClass()) : PSTableCell(isa) {}
};

// A page with actions and accessors reached only by selector name.
class ActionPage : public PSListController {
public:
    static objc::Class objcClass();
    static std::shared_ptr<ActionPage> create() { return objc::make<ActionPage>(); }
    void setRows(SpecifierList rows) { _specifiers = std::move(rows); }
    int plainCalls = 0;
    PSSpecifier* passedRow = nullptr;
    std::optional<PlistValue> stored;

protected:
    friend objc::Allocation;
    explicit ActionPage(objc::Class isa = objcClass()) : PSListController(isa) {}
};

void plainAction(objc::id self, objc::SEL) { ++static_cast<ActionPage*>(self)->plainCalls; }
void rowAction(objc::id self, objc::SEL, objc::id row) {
    static_cast<ActionPage*>(self)->passedRow = dynamic_cast<PSSpecifier*>(row);
}
std::optional<PlistValue> customGetter(objc::id, objc::SEL, PSSpecifier*) { return PlistValue("from getter"); }
void customSetter(objc::id self, objc::SEL, std::optional<PlistValue> value, PSSpecifier*) {
    static_cast<ActionPage*>(self)->stored = std::move(value);
}

objc::Class ActionPage::objcClass() {
    static objc::Class cls = [] {
        objc::Class made = objc::objc_registerClass("SnapfoldTestActionPage", PSListController::objcClass(),
                                                    [](objc::Class isa) { return objc::make<ActionPage>(isa); });
        objc::class_addMethod(made, objc::TypedSelector<void()>("plainAction"), &plainAction);
        objc::class_addMethod(made, objc::TypedSelector<void(objc::id)>("rowAction:"), &rowAction);
        objc::class_addMethod(made, objc::TypedSelector<std::optional<PlistValue>(PSSpecifier*)>("customValue:"),
                              &customGetter);
        objc::class_addMethod(
            made, objc::TypedSelector<void(std::optional<PlistValue>, PSSpecifier*)>("storeValue:specifier:"),
            &customSetter);
        return made;
    }();
    return cls;
}

TEST(SpecifiersFromPlistTest, EntriesBecomeRowsInListOrderWithEveryKeyKept) {
    auto loaded = specifiersFromPlist(
        listOf({foundation::NSDictionary{{"cell", "PSGroupCell"}, {"label", "G"}, {"footerText", "F"}},
                foundation::NSDictionary{{"cell", "PSSwitchCell"},
                                         {"label", "S"},
                                         {"key", "k"},
                                         {"default", true},
                                         {"PostNotification", "n"},
                                         {"anything", 5}},
                foundation::NSDictionary{{"cell", "PSButtonCell"}, {"label", "B"}, {"action", "doIt"}}}),
        nullptr, "test");
    ASSERT_EQ(loaded.specifiers->size(), 3u);
    const auto& rows = *loaded.specifiers;
    EXPECT_EQ(rows[0]->cellType(), PSGroupCell);
    EXPECT_EQ(rows[1]->cellType(), PSSwitchCell);
    EXPECT_EQ(rows[1]->name(), "S");
    EXPECT_EQ(*rows[1]->propertyForKey("default"), PlistValue(true));
    EXPECT_EQ(*rows[1]->propertyForKey("anything"), PlistValue(5));
    EXPECT_EQ(rows[1]->stringPropertyForKey("PostNotification"), "n");
    EXPECT_EQ(rows[2]->buttonAction(), "doIt");
    EXPECT_EQ(rows[0]->stringPropertyForKey("footerText"), "F");
}

TEST(SpecifiersFromPlistTest, ClassesAreResolvedByNameAndUnknownNamesLeftOut) {
    PSListController::objcClass();
    RecordingCell::objcClass();
    auto loaded = specifiersFromPlist(
        listOf({foundation::NSDictionary{{"cell", "PSLinkCell"}, {"detail", "PSListController"}},
                foundation::NSDictionary{{"cell", "PSLinkCell"}, {"detail", "NoSuchPage"}},
                foundation::NSDictionary{{"cell", "PSButtonCell"}, {"cellClass", "SnapfoldTestRecordingCell"}},
                foundation::NSDictionary{{"cell", "PSNoSuchCell"}}, PlistValue("not a dictionary")}),
        nullptr, "test");
    ASSERT_EQ(loaded.specifiers->size(), 4u) << "the item that is not a dictionary is skipped";
    const auto& rows = *loaded.specifiers;
    EXPECT_EQ(rows[0]->detailControllerClass(), PSListController::objcClass());
    EXPECT_EQ(rows[1]->detailControllerClass(), nullptr);
    EXPECT_EQ(rows[1]->stringPropertyForKey("detail"), "NoSuchPage");
    EXPECT_EQ(rows[2]->cellClass(), RecordingCell::objcClass());
    EXPECT_EQ(rows[3]->cellType(), PSStaticTextCell);
}

TEST(SpecifiersFromPlistTest, ChoicesZipValuesWithTitlesAndShortTitles) {
    auto loaded = specifiersFromPlist(
        listOf({foundation::NSDictionary{{"cell", "PSLinkListCell"},
                                         {"validValues", PlistValue::Array{"a", 2, "a"}},
                                         {"validTitles", PlistValue::Array{"A", "Two", "Again"}},
                                         {"shortTitles", PlistValue::Array{"a.", "2."}}}}),
        nullptr, "test");
    const auto& row = *loaded.specifiers->front();
    ASSERT_TRUE(row.titleDictionary() && row.shortTitleDictionary() && row.values());
    EXPECT_EQ(*row.titleDictionary(), (TitleDictionary{{PlistValue("a"), "Again"}, {PlistValue(2), "Two"}}));
    EXPECT_EQ(*row.shortTitleDictionary(), (TitleDictionary{{PlistValue("a"), "a."}, {PlistValue(2), "2."}}));
    EXPECT_EQ(row.values()->size(), 3u);
}

class ListPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::processDeviceRoot();
        testsupport::clearDevice();
        page = ActionPage::create();
        page->view();
        RecordingCell::objcClass();
    }
    void load(PlistValue::Array items) {
        auto loaded = specifiersFromPlist(listOf(std::move(items)), page->retain(), "test");
        rows = loaded.specifiers;
        page->setRows(rows);
    }
    std::shared_ptr<ActionPage> page;
    SpecifierList rows;
};

TEST_F(ListPageTest, GroupRowsStartSectionsAndLeadingRowsFormTheirOwn) {
    load({foundation::NSDictionary{{"cell", "PSSwitchCell"}, {"label", "lead"}},
          foundation::NSDictionary{{"cell", "PSGroupCell"}, {"label", "First"}, {"footerText", "foot"}},
          foundation::NSDictionary{{"cell", "PSButtonCell"}, {"label", "b1"}},
          foundation::NSDictionary{{"cell", "PSButtonCell"}, {"label", "b2"}},
          foundation::NSDictionary{{"cell", "PSGroupCell"}}});
    auto& table = *page->table();
    EXPECT_EQ(page->numberOfSectionsInTableView(table), 3);
    EXPECT_EQ(page->tableViewNumberOfRowsInSection(table, 0), 1);
    EXPECT_EQ(page->tableViewNumberOfRowsInSection(table, 1), 2);
    EXPECT_EQ(page->tableViewNumberOfRowsInSection(table, 2), 0);
    EXPECT_EQ(page->tableViewTitleForHeaderInSection(table, 1), "First");
    EXPECT_EQ(page->tableViewTitleForFooterInSection(table, 1), "foot");
    EXPECT_FALSE(page->tableViewTitleForHeaderInSection(table, 0));
    EXPECT_EQ(page->specifierAtIndexPath({1, 1})->name(), "b2");
    EXPECT_FALSE(page->specifierAtIndexPath({1, 2}));
    EXPECT_EQ(page->indexPathForSpecifier(*(*rows)[3]), (uikit::NSIndexPath{1, 1}));
}

TEST_F(ListPageTest, ARowNamingACellClassGetsACellOfThatClass) {
    load({foundation::NSDictionary{
              {"cell", "PSButtonCell"}, {"cellClass", "SnapfoldTestRecordingCell"}, {"custom", "yes"}},
          foundation::NSDictionary{{"cell", "PSButtonCell"}, {"cellClass", "NoSuchCell"}, {"label", "plain"}}});
    auto& table = *page->table();
    auto custom = std::dynamic_pointer_cast<RecordingCell>(page->tableViewCellForRowAtIndexPath(table, {0, 0}));
    ASSERT_TRUE(custom);
    EXPECT_EQ(custom->madeWith, "yes");
    auto plain = page->tableViewCellForRowAtIndexPath(table, {0, 1});
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->textLabel()->text(), "plain");
}

TEST_F(ListPageTest, ActionsAndAccessorsAreReachedBySelectorName) {
    load({foundation::NSDictionary{{"cell", "PSButtonCell"}, {"action", "plainAction"}},
          foundation::NSDictionary{{"cell", "PSButtonCell"}, {"action", "rowAction:"}},
          foundation::NSDictionary{{"cell", "PSButtonCell"}, {"action", "missingAction"}},
          foundation::NSDictionary{
              {"cell", "PSEditTextCell"}, {"key", "k"}, {"get", "customValue:"}, {"set", "storeValue:specifier:"}}});
    EXPECT_TRUE(page->performActionForSpecifier(*(*rows)[0]));
    EXPECT_EQ(page->plainCalls, 1);
    EXPECT_TRUE(page->performActionForSpecifier(*(*rows)[1]));
    EXPECT_EQ(page->passedRow, (*rows)[1].get());
    EXPECT_FALSE(page->performActionForSpecifier(*(*rows)[2]));
    EXPECT_EQ(page->valueForSpecifier(*(*rows)[3]), PlistValue("from getter"));
    page->setValueForSpecifier(PlistValue(9), *(*rows)[3]);
    EXPECT_EQ(page->stored, PlistValue(9));
}

TEST_F(ListPageTest, TheFrameworksOwnStorageUsesTheDefaultsDomain) {
    load({foundation::NSDictionary{
        {"cell", "PSSwitchCell"}, {"key", "flag"}, {"default", true}, {"defaults", "com.example.test"}}});
    auto& row = *(*rows)[0];
    EXPECT_EQ(page->valueForSpecifier(row), PlistValue(true));
    page->setValueForSpecifier(PlistValue(false), row);
    EXPECT_EQ(page->valueForSpecifier(row), PlistValue(false));
    EXPECT_EQ(foundation::dictionaryWithContentsOfFile("/var/mobile/Library/Preferences/com.example.test.plist"),
              (foundation::NSDictionary{{"flag", false}}));
}

TEST_F(ListPageTest, ALinkRowMakesItsPageWithTheBundleAndTitle) {
    load({foundation::NSDictionary{{"cell", "PSLinkCell"}, {"label", "Next"}, {"detail", "PSListController"}}});
    auto next = page->controllerForSpecifier((*rows)[0]);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->title(), "Next");
    EXPECT_EQ(next->specifier().get(), (*rows)[0].get());
}

TEST(SpecifierValueParsingTest, EachKindOfRowTakesItsOwnKindOfValue) {
    auto row = [](foundation::NSDictionary entry) { return specifierFromEntry(entry, nullptr, "test"); };
    auto toggle = row({{"cell", "PSSwitchCell"}, {"label", "On"}});
    EXPECT_EQ(valueFromText(*toggle, "off").value(), PlistValue(false));
    EXPECT_EQ(valueFromText(*toggle, "YES").value(), PlistValue(true));
    EXPECT_FALSE(valueFromText(*toggle, "maybe").ok());
    auto text = row({{"cell", "PSEditTextCell"}});
    EXPECT_EQ(valueFromText(*text, "").value(), PlistValue(""));
    auto number = row({{"cell", "PSEditTextCell"}, {"isNumeric", true}});
    EXPECT_EQ(valueFromText(*number, "2.5").value(), PlistValue(2.5));
    EXPECT_FALSE(valueFromText(*number, "2.5x").ok());
    auto slider = row({{"cell", "PSSliderCell"}, {"min", 0}, {"max", 10}});
    EXPECT_FALSE(valueFromText(*slider, "11").ok());
    auto choice = row({{"cell", "PSLinkListCell"},
                       {"validValues", PlistValue::Array{"a", 2}},
                       {"validTitles", PlistValue::Array{"Alpha", "Two"}}});
    EXPECT_EQ(valueFromText(*choice, "Two").value(), PlistValue(2));
    EXPECT_EQ(valueFromText(*choice, "a").value(), PlistValue("a"));
    auto refused = valueFromText(*choice, "c");
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.error().message.find("a, 2"), std::string::npos);
    EXPECT_FALSE(valueFromText(*row({{"cell", "PSButtonCell"}}), "x").ok());
}

class PreferenceLoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::processDeviceRoot();
        fs::remove_all(foundation::hostPath(kPreferenceLoaderFolder));
        fs::create_directories(foundation::hostPath(kPreferenceLoaderFolder) / "Nested");
        fs::create_directories(foundation::hostPath("/Library/PreferenceBundles/Present.bundle"));
    }
    void TearDown() override { foundation::setCoreFoundationVersionNumberForTesting(std::nullopt); }
    static void entry(const std::string& file, foundation::NSDictionary list) {
        ASSERT_TRUE(foundation::writePropertyListAtomically(
                        foundation::hostPath(std::string(kPreferenceLoaderFolder) + "/" + file), list)
                        .ok());
    }
    static foundation::NSDictionary link(const char* label, const char* bundle) {
        return {{"entry", foundation::NSDictionary{
                              {"cell", "PSLinkCell"}, {"label", label}, {"bundle", bundle}, {"isController", true}}}};
    }
};

TEST_F(PreferenceLoaderTest, EntriesAreSortedByLabelIgnoringCaseAndInvalidOnesLeftOut) {
    entry("b.plist", link("zeta", "Present"));
    entry("Nested/a.plist", link("Alpha", "Present"));
    entry("c.plist", link("beta", "Missing"));
    entry("d.plist", {{"entry", foundation::NSDictionary{{"cell", "PSSwitchCell"}, {"label", "Not a link"}}}});
    entry("e.plist", {{"entry", foundation::NSDictionary{{"cell", "PSLinkCell"}, {"label", "Own rows"}}},
                      {"items", PlistValue::Array{}}});
    auto entries = preferenceLoaderEntries();
    std::vector<std::string> labels;
    for (const auto& found : entries) labels.push_back(found.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"Alpha", "Own rows", "zeta"}));
    EXPECT_EQ(entries[0].bundlePath, "/Library/PreferenceBundles/Present.bundle");
    EXPECT_TRUE(entries[0].isController);
    EXPECT_FALSE(entries[1].bundlePath);
}

TEST_F(PreferenceLoaderTest, TheCoreFoundationRangeIsHalfOpen) {
    auto filtered = link("Ranged", "Present");
    filtered["pl_filter"] = foundation::NSDictionary{{"CoreFoundationVersion", PlistValue::Array{1140.1, 1200.0}}};
    entry("r.plist", filtered);
    for (auto [version, listed] : {std::pair{1140.0, false}, {1140.1, true}, {1199.9, true}, {1200.0, false}}) {
        foundation::setCoreFoundationVersionNumberForTesting(version);
        EXPECT_EQ(preferenceLoaderEntries().size(), listed ? 1u : 0u) << version;
    }
}

}  // namespace
