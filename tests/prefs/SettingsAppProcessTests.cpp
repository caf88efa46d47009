// The Settings host as a person uses it, in processes of its own; and a
// process that loaded the hook library following its changes.
#include "tests/prefs/PrefsTestSupport.h"

#include "platform/foundation/DeviceRoot.h"
#include "tests/support/TestSupport.h"

#include <fstream>

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
    EXPECT_NE(visited.output.find("back on SnapfoldListController:\nstatus bar: 1"), std::string::npos) << visited.output;
}

TEST_F(SettingsAppTest, TheShareButtonOpensTheTweetAddress) {
    auto shared = run({"share"});
    ASSERT_EQ(shared.exitCode, 0) << shared.errors;
    EXPECT_NE(shared.output.find("opened URL: https://twitter.com/intent/tweet?text=%23Snapfold"), std::string::npos)
        << shared.output;
}

}  // namespace
