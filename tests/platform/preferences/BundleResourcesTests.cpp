// Strings tables in every form the platform reads, and bundles opened by
// path: their localization, resources and look-ups.
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSBundleResources.h"
#include "platform/foundation/StringsTable.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;
using foundation::parseStringsTable;
using foundation::StringsTable;

namespace {

std::string utf16(std::u16string_view text, bool bigEndian, bool mark) {
    std::string bytes;
    auto put = [&](char16_t unit) {
        char hi = static_cast<char>(unit >> 8), lo = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? hi : lo;
        bytes += bigEndian ? lo : hi;
    };
    if (mark) put(0xFEFF);
    for (char16_t unit : text) put(unit);
    return bytes;
}

TEST(StringsTableTest, ReadsTheStringsFormWithCommentsAndEscapes) {
    auto table = parseStringsTable(
        "/* c */ \"A\" = \"x \\\"q\\\"\\n\"; // line\n\"B\" = \"\\U00e9\";\nC = plain;\n\"D\";");
    ASSERT_TRUE(table.ok()) << table.error().message;
    EXPECT_EQ(table.value(), (StringsTable{{"A", "x \"q\"\n"}, {"B", "\xC3\xA9"}, {"C", "plain"}, {"D", "D"}}));
}

TEST(StringsTableTest, ReadsUtf16WithAndWithoutAMark) {
    std::u16string text = u"\"K\" = \"Gr\u00FC\u00DFe \U0001F600\";";
    StringsTable expected{{"K",
                           "Gr\xC3\xBC\xC3\x9F"
                           "e \xF0\x9F\x98\x80"}};
    for (bool bigEndian : {false, true})
        for (bool mark : {false, true}) {
            auto table = parseStringsTable(utf16(text, bigEndian, mark));
            ASSERT_TRUE(table.ok()) << bigEndian << mark;
            EXPECT_EQ(table.value(), expected) << bigEndian << mark;
        }
}

TEST(StringsTableTest, ReadsPropertyListsAndBracedText) {
    auto xml = parseStringsTable(
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>K</key><string>V</string>"
        "<key>N</key><integer>1</integer></dict></plist>");
    ASSERT_TRUE(xml.ok());
    EXPECT_EQ(xml.value(), (StringsTable{{"K", "V"}}));
    auto braced = parseStringsTable("{ K = \"V\"; L = (a, b); }");
    ASSERT_TRUE(braced.ok());
    EXPECT_EQ(braced.value(), (StringsTable{{"K", "V"}}));
    auto empty = parseStringsTable(" \n\t");
    ASSERT_TRUE(empty.ok());
    EXPECT_TRUE(empty.value().empty());
}

// Found through the strings-table fuzz target's round trip: text that
// mentions "<plist" was taken for an XML list and the whole table was lost.
TEST(StringsTableTest, TextThatMentionsPlistTagsIsStillText) {
    auto table = parseStringsTable("\"HELP\" = \"Lists end in .plist and open with <plist>\";");
    ASSERT_TRUE(table.ok()) << table.error().message;
    EXPECT_EQ(table.value(), (StringsTable{{"HELP", "Lists end in .plist and open with <plist>"}}));
    auto indented = parseStringsTable(
        "\xEF\xBB\xBF\n  <plist version=\"1.0\"><dict><key>K</key><string>V</string></dict></plist>");
    ASSERT_TRUE(indented.ok()) << indented.error().message;
    EXPECT_EQ(indented.value(), (StringsTable{{"K", "V"}}));
}

TEST(StringsTableTest, MalformedTextIsAnError) {
    for (const char* bad : {"\"K\" = \"V\"", "\"K\" \"V\";", "\"K\" = \"open;", "{ \"K\" = \"V\";"})
        EXPECT_FALSE(parseStringsTable(bad).ok()) << bad;
}

class NSBundleTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::processDeviceRoot();
        root = foundation::hostPath("/Library/Test.bundle");
        fs::remove_all(root);
        fs::create_directories(root / "en.lproj");
        fs::create_directories(root / "German.lproj");
        std::ofstream(root / "en.lproj/Localizable.strings") << "\"HELLO\" = \"Hello\";";
        std::ofstream(root / "German.lproj/Localizable.strings") << "\"HELLO\" = \"Hallo\";";
        std::ofstream(root / "German.lproj/only.txt") << "de";
        std::ofstream(root / "top.png") << "png";
        ASSERT_TRUE(foundation::writePropertyListAtomically(
                        root / "Info.plist",
                        foundation::NSDictionary{{"CFBundleDevelopmentRegion", "en"}, {"CFBundleExecutable", "Test"}})
                        .ok());
    }
    void TearDown() override { foundation::setPreferredLanguagesForTesting(std::nullopt); }
    fs::path root;
};

TEST_F(NSBundleTest, LooksUpInThePreferredLanguageThenTheDevelopmentRegion) {
    auto bundle = foundation::NSBundle::bundleWithPath("/Library/Test.bundle");
    ASSERT_TRUE(bundle);
    foundation::setPreferredLanguagesForTesting(std::vector<std::string>{"de-AT"});
    EXPECT_EQ(bundle->preferredLocalization(), "German");
    EXPECT_EQ(bundle->localizedStringForKey("HELLO", "", std::nullopt), "Hallo");
    foundation::setPreferredLanguagesForTesting(std::vector<std::string>{"ja", "fr"});
    EXPECT_EQ(bundle->localizedStringForKey("HELLO", "", std::nullopt), "Hello");
    EXPECT_EQ(bundle->localizedStringForKey("MISSING", "", std::nullopt), "MISSING");
    EXPECT_EQ(bundle->localizedStringForKey("MISSING", "fallback", std::nullopt), "fallback");
}

TEST_F(NSBundleTest, FindsResourcesAtTheTopThenInTheLocalization) {
    auto bundle = foundation::NSBundle::bundleWithPath("/Library/Test.bundle/");
    foundation::setPreferredLanguagesForTesting(std::vector<std::string>{"de"});
    EXPECT_EQ(bundle->pathForResource("top", "png"), "/Library/Test.bundle/top.png");
    EXPECT_EQ(bundle->pathForResource("only", "txt"), "/Library/Test.bundle/German.lproj/only.txt");
    EXPECT_FALSE(bundle->pathForResource("absent", "png"));
    EXPECT_FALSE(bundle->pathForResource("../Test.bundle/top", "png"));
    EXPECT_EQ(bundle->executablePath(), root / "Test");
    EXPECT_FALSE(foundation::NSBundle::bundleWithPath("/Library/NoSuch.bundle"));
}

TEST_F(NSBundleTest, AnEditedTableIsReadAgain) {
    auto bundle = foundation::NSBundle::bundleWithPath("/Library/Test.bundle");
    foundation::setPreferredLanguagesForTesting(std::vector<std::string>{"en"});
    EXPECT_EQ(bundle->localizedStringForKey("HELLO", "", std::nullopt), "Hello");
    std::ofstream(root / "en.lproj/Localizable.strings") << "\"HELLO\" = \"Hi there, again\";";
    EXPECT_EQ(bundle->localizedStringForKey("HELLO", "", std::nullopt), "Hi there, again");
}

}  // namespace
