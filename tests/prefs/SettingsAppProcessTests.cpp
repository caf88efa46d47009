// The Settings host as a person uses it, in processes of its own; and a
// process that loaded the hook library following its changes.
#include "tests/prefs/PrefsTestSupport.h"

#include "platform/foundation/DeviceRoot.h"
#include "tests/support/TestSupport.h"

#include <fstream>
#include <limits>

namespace fs = std::filesystem;

namespace {

class SettingsAppTest : public prefstest::SettingsPageTest {
protected:
    void SetUp() override {
        SettingsPageTest::SetUp();
        auto installed = run({"install"});
        ASSERT_EQ(installed.exitCode, 0) << installed.errors;
    }
    static testsupport::ProgramResult run(const std::vector<std::string>& arguments) {
        return testsupport::runProgram(testsupport::buildDirectory() / "bin" / "snapfold-settings-app", arguments);
    }
};

TEST_F(SettingsAppTest, AProcessThatLoadedTheHookLibraryFollowsAnAlbumNameChange) {
    testsupport::ChildProcess watcher(testsupport::buildDirectory() / "bin" / "snapfold-settings",
                                      {"watch", "--changes", "2", "--timeout", "10"});
    ASSERT_TRUE(watcher.started());
    auto ready = watcher.readLine();
    ASSERT_TRUE(ready && ready->starts_with("watching:")) << ready.value_or("(no output)");
    auto changed = run({"set", "albumName", "Holiday 2015"});
    ASSERT_EQ(changed.exitCode, 0) << changed.errors;
    auto line = watcher.readLine();
    ASSERT_TRUE(line) << "the watcher saw no change";
    EXPECT_NE(line->find("changed:"), std::string::npos) << *line;
    EXPECT_NE(line->find("albumName = \"Holiday 2015\""), std::string::npos) << *line;
    // A suggested album picked from the album row's list is followed too.
    auto picked = run({"--page", "Configuration", "pick", "Album", "3"});
    ASSERT_EQ(picked.exitCode, 0) << picked.errors;
    EXPECT_NE(picked.output.find("posted: com.veltrona.snapfold/settingschanged"), std::string::npos) << picked.output;
    EXPECT_NE(picked.output.find("Album shows: Chats"), std::string::npos) << picked.output;
    line = watcher.readLine();
    ASSERT_TRUE(line) << "the watcher saw no pick";
    EXPECT_NE(line->find("albumName = \"Chats\""), std::string::npos) << *line;
    EXPECT_EQ(watcher.wait(), 0);
}

TEST_F(SettingsAppTest, ShowPrintsSectionsHeadersRowsAndValues) {
    prefstest::writeSettingsFile({{"isEnabled", false}});
    auto shown = run({"show"});
    ASSERT_EQ(shown.exitCode, 0) << shown.errors;
    EXPECT_NE(shown.output.find("Section 4"), std::string::npos);
    EXPECT_NE(shown.output.find("VeltronaSnapfoldCustomHeaderView, 140 pt"), std::string::npos);
    EXPECT_NE(shown.output.find("[switch, key isEnabled]: off"), std::string::npos) << shown.output;
    EXPECT_NE(shown.output.find("[text, key albumName]: WhatsApp"), std::string::npos) << shown.output;
}

TEST_F(SettingsAppTest, BadInputIsRefusedAndChangesNothing) {
    prefstest::writeSettingsFile({{"albumName", "Kept"}});
    auto wrongKind = run({"set", "isEnabled", "sometimes"});
    EXPECT_EQ(wrongKind.exitCode, 2);
    EXPECT_NE(wrongKind.errors.find("takes on or off"), std::string::npos) << wrongKind.errors;
    auto unknownRow = run({"set", "noSuchRow", "1"});
    EXPECT_EQ(unknownRow.exitCode, 2);
    EXPECT_NE(unknownRow.errors.find("no row"), std::string::npos) << unknownRow.errors;
    auto valueless = run({"set", "Email support", "x"});
    EXPECT_EQ(valueless.exitCode, 2);
    EXPECT_EQ(prefstest::readSettingsFile(), (foundation::NSDictionary{{"albumName", "Kept"}}));
}

TEST_F(SettingsAppTest, TappingSupportWritesTheMailIntoTheOutbox) {
    prefstest::writeSettingsFile({{"albumName", "Trips"}});
    auto tapped = run({"tap", "Email support"});
    ASSERT_EQ(tapped.exitCode, 0) << tapped.errors;
    auto at = tapped.output.find("mail written: ");
    ASSERT_NE(at, std::string::npos) << tapped.output;
    std::string devicePath = tapped.output.substr(at + 14, tapped.output.find('\n', at) - at - 14);
    EXPECT_TRUE(fs::exists(foundation::hostPath(devicePath))) << devicePath;
    EXPECT_NE(tapped.output.find("mail sheet dismissed"), std::string::npos);
}

TEST_F(SettingsAppTest, FollowingALinkAndComingBackRestoresThePage) {
    auto visited = run({"visit", "Configuration"});
    ASSERT_EQ(visited.exitCode, 0) << visited.errors;
    EXPECT_NE(visited.output.find("pushed VeltronaSnapfoldConfigurationListController"), std::string::npos);
    EXPECT_NE(visited.output.find("back on SnapfoldListController:\nstatus bar: 1"), std::string::npos)
        << visited.output;
}

TEST_F(SettingsAppTest, TheShareButtonOpensTheTweetAddress) {
    auto shared = run({"share"});
    ASSERT_EQ(shared.exitCode, 0) << shared.errors;
    EXPECT_NE(shared.output.find("opened URL: https://twitter.com/intent/tweet?text=%23Snapfold"), std::string::npos)
        << shared.output;
}

// Two settings tools change different keys at the same moment, again and
// again: every change survives, because each writer holds the lock beside
// the file from its read to its rename.
TEST_F(SettingsAppTest, ConcurrentWritersOfDifferentKeysLoseNoChange) {
    const auto tool = testsupport::buildDirectory() / "bin" / "snapfold-settings";
    for (int round = 0; round < 20; ++round) {
        const bool enabled = round % 2 == 1;
        const std::string album = "Name" + std::to_string(round);
        testsupport::ChildProcess albumWriter(tool, {"set", "albumName", album});
        testsupport::ChildProcess switchWriter(tool, {"set", "isEnabled", enabled ? "true" : "false"});
        ASSERT_EQ(albumWriter.wait(), 0);
        ASSERT_EQ(switchWriter.wait(), 0);
        EXPECT_EQ(prefstest::readSettingsFile(),
                  (foundation::NSDictionary{{"albumName", album}, {"isEnabled", enabled}}))
            << "round " << round;
    }
}

// A name no album can have is still stored (the hook library takes any
// name), but the person setting it is told that saves will fail.
TEST_F(SettingsAppTest, TheToolWarnsAboutAlbumNamesNoAlbumCanHave) {
    const auto tool = testsupport::buildDirectory() / "bin" / "snapfold-settings";
    for (std::string name : {"", "Camera Roll"}) {
        auto result = testsupport::runProgram(tool, {"set", "albumName", name});
        EXPECT_EQ(result.exitCode, 0) << result.errors;
        EXPECT_NE(result.errors.find("warning: no album can"), std::string::npos) << result.errors;
        EXPECT_EQ(prefstest::readSettingsFile(), (foundation::NSDictionary{{"albumName", name}}));
    }
    auto usable = testsupport::runProgram(tool, {"set", "albumName", "Camera Roll 2"});
    EXPECT_EQ(usable.errors.find("warning"), std::string::npos) << usable.errors;
}

// The settings as an independent writer left them (see
// tests/data/property-lists): XML carries whole seconds, binary the fractions
// and a string with U+0000.
foundation::NSDictionary settingsFromAnotherWriter(bool binary) {
    using foundation::PlistDate;
    using foundation::PlistValue;
    PlistValue::Data blob;
    for (int byte = 0; byte < 256; ++byte) blob.push_back(static_cast<std::uint8_t>(byte));
    foundation::NSDictionary settings{
        {"albumName", "Family"},
        {"isEnabled", false},
        {"past", PlistDate{-4752043200.0 + (binary ? 0.25 : 0)}},  // 1850-06-01 12:00:00.25
        {"future", PlistDate{3155673599.0 + (binary ? 0.5 : 0)}},  // 2100-12-31 23:59:59.5
        {"smallest", std::numeric_limits<std::int64_t>::min()},
        {"largest", std::numeric_limits<std::int64_t>::max()},
        {"unsigned", std::numeric_limits<std::uint64_t>::max()},
        {"ratio", 0.1},
        {"huge", 1e300},
        {"blob", blob},
        {"markup", "a <b> & 'c' \"d\""},
        {"nested",
         PlistValue::Dictionary{
             {"list", PlistValue::Array{1, "two", PlistValue::Array{3.5, PlistValue::Dictionary{{"deep", true}}}}},
             {"empty", PlistValue::Dictionary{}},
             {"emptyList", PlistValue::Array{}}}},
    };
    if (binary) settings.emplace("withNul", std::string("before\0after", 12));
    return settings;
}

// A file another program wrote goes through a change of one key by the
// settings tool and by the Settings host's page with every other value as
// it was read.
TEST_F(SettingsAppTest, AChangeWritesBackEveryOtherValueAsItWasRead) {
    const auto tool = testsupport::buildDirectory() / "bin" / "snapfold-settings";
    for (bool binary : {false, true}) {
        const char* name = binary ? "settings-from-another-writer.bplist" : "settings-from-another-writer.xml";
        fs::copy_file(fs::path(SNAPFOLD_PROPERTY_LISTS_DIR) / name, prefstest::settingsFile(),
                      fs::copy_options::overwrite_existing);
        auto expected = settingsFromAnotherWriter(binary);
        EXPECT_EQ(prefstest::readSettingsFile(), expected) << name << " as written";
        auto changed = testsupport::runProgram(tool, {"set", "isEnabled", "true"});
        ASSERT_EQ(changed.exitCode, 0) << changed.errors;
        expected.insert_or_assign("isEnabled", true);
        EXPECT_EQ(prefstest::readSettingsFile(), expected) << name << " after the tool's change";
        auto paged = run({"set", "albumName", "Trips"});
        ASSERT_EQ(paged.exitCode, 0) << paged.errors;
        expected.insert_or_assign("albumName", "Trips");
        EXPECT_EQ(prefstest::readSettingsFile(), expected) << name << " after the page's change";
    }
}

}  // namespace
