// Who takes a URL scheme: the desktop's handler registry read from its files,
// the device's list of installed client apps, and the application object
// that asks both and records every URL it is asked to open.
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/PropertyList.h"
#include "platform/uikit/DesktopKeyFile.h"
#include "platform/uikit/DesktopURLHandlers.h"
#include "platform/uikit/DeviceURLHandlers.h"
#include "platform/uikit/OpenedURLLog.h"
#include "platform/uikit/UIApplication.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using foundation::NSURL;
using uikit::UIApplication;

// A new empty folder under the temporary folder.
fs::path temporaryFolder() {
    std::string pattern = (fs::temp_directory_path() / "snapfold-desktop-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return {};
    return pattern;
}

void writeText(const fs::path& file, std::string_view text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

TEST(DesktopKeyFileTest, ReadsGroupsKeysAndEscapedLists) {
    auto file = uikit::DesktopKeyFile::parse(
        "# a comment\n"
        "ignored=before any group\n"
        "[Desktop Entry]\n"
        "Type = Application\n"
        "MimeType=text/plain;x-scheme-handler/a\\;b;;x-scheme-handler/c;\r\n"
        "Name=One\\sTwo\n"
        "not a key line\n"
        "[Other Group]\n"
        "Type=Link\n");
    ASSERT_TRUE(file.value("Desktop Entry", "Type"));
    EXPECT_EQ(*file.value("Desktop Entry", "Type"), "Application");
    EXPECT_EQ(*file.value("Other Group", "Type"), "Link");
    EXPECT_EQ(file.value("Desktop Entry", "ignored"), nullptr);
    EXPECT_EQ(file.value("Missing", "Type"), nullptr);
    EXPECT_EQ(file.list("Desktop Entry", "MimeType"),
              (std::vector<std::string>{"text/plain", "x-scheme-handler/a;b", "x-scheme-handler/c"}));
    EXPECT_EQ(file.list("Desktop Entry", "Name"), (std::vector<std::string>{"One Two"}));
    EXPECT_FALSE(uikit::DesktopKeyFile::read("/nonexistent/file.desktop"));
}

// A desktop of its own in a temporary folder: user and system configuration,
// user and system data (applications).
class DesktopRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = temporaryFolder();
        ASSERT_FALSE(root_.empty());
        directories_.configHome = root_ / "config";
        directories_.configDirs = {root_ / "etc-xdg"};
        directories_.dataHome = root_ / "data";
        directories_.dataDirs = {root_ / "usr-share"};
        directories_.desktops = {"testdesk"};
    }
    void TearDown() override { fs::remove_all(root_); }

    void application(const fs::path& dataDir, const std::string& relative, const std::string& extra) {
        writeText(dataDir / "applications" / relative,
                  "[Desktop Entry]\nType=Application\nName=App\nExec=app %u\n" + extra);
    }
    std::optional<std::string> handler(std::string_view scheme) {
        return uikit::desktopHandlerForScheme(directories_, scheme);
    }

    fs::path root_;
    uikit::DesktopDirectories directories_;
};

TEST_F(DesktopRegistryTest, AnInstalledApplicationListingTheSchemeTakesIt) {
    EXPECT_FALSE(handler("tweetbot")) << "an empty desktop takes nothing";
    application(directories_.dataDirs[0], "tweetbot.desktop", "MimeType=text/html;x-scheme-handler/tweetbot;\n");
    EXPECT_EQ(handler("tweetbot"), "tweetbot.desktop");
    EXPECT_EQ(handler("TweetBot"), "tweetbot.desktop") << "schemes are compared without case";
    EXPECT_FALSE(handler("twitter"));
    EXPECT_FALSE(handler(""));
}

TEST_F(DesktopRegistryTest, HiddenEntriesAndEntriesThatAreNoApplicationTakeNothing) {
    application(directories_.dataHome, "hidden.desktop", "Hidden=true\nMimeType=x-scheme-handler/hidden\n");
    writeText(directories_.dataHome / "applications" / "link.desktop",
              "[Desktop Entry]\nType=Link\nMimeType=x-scheme-handler/link\n");
    EXPECT_FALSE(handler("hidden"));
    EXPECT_FALSE(handler("link"));
}

TEST_F(DesktopRegistryTest, TheUsersEntryHidesTheSystemsEntryOfTheSameId) {
    application(directories_.dataDirs[0], "client.desktop", "MimeType=x-scheme-handler/client\n");
    application(directories_.dataHome, "client.desktop", "Hidden=true\n");
    EXPECT_FALSE(handler("client"));
}

TEST_F(DesktopRegistryTest, AssociationListsNameApplicationsByIdIncludingSubfolders) {
    application(directories_.dataDirs[0], "vendor/viewer.desktop", "");
    writeText(directories_.configHome / "mimeapps.list",
              "[Default Applications]\nx-scheme-handler/aphelion=missing.desktop;vendor-viewer.desktop\n");
    EXPECT_EQ(handler("aphelion"), "vendor-viewer.desktop") << "a default need not list the type itself";
    writeText(directories_.configHome / "mimeapps.list",
              "[Default Applications]\nx-scheme-handler/aphelion=missing.desktop\n");
    EXPECT_FALSE(handler("aphelion")) << "an association with an application that is not installed counts for nothing";
    writeText(directories_.dataHome / "applications" / "mimeapps.list",
              "[Added Associations]\nx-scheme-handler/aphelion=vendor-viewer.desktop;\n");
    EXPECT_EQ(handler("aphelion"), "vendor-viewer.desktop");
}

TEST_F(DesktopRegistryTest, RemovedAssociationsHideLowerPrecedenceOnes) {
    application(directories_.dataDirs[0], "client.desktop", "MimeType=x-scheme-handler/twitter\n");
    writeText(directories_.configHome / "testdesk-mimeapps.list",
              "[Removed Associations]\nx-scheme-handler/twitter=client.desktop\n");
    EXPECT_FALSE(handler("twitter")) << "removed for this desktop, from the entry's own list";
    writeText(directories_.configHome / "testdesk-mimeapps.list",
              "[Added Associations]\nx-scheme-handler/twitter=client.desktop\n");
    writeText(directories_.configDirs[0] / "mimeapps.list",
              "[Removed Associations]\nx-scheme-handler/twitter=client.desktop\n");
    EXPECT_EQ(handler("twitter"), "client.desktop") << "a higher list adds what a lower one removes";
}

TEST_F(DesktopRegistryTest, TheEnvironmentNamesTheFoldersInTheBaseDirectoriesOrder) {
    const char* names[] = {"HOME",          "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS",
                           "XDG_DATA_HOME", "XDG_DATA_DIRS",   "XDG_CURRENT_DESKTOP"};
    std::vector<std::optional<std::string>> saved;
    for (const char* name : names)
        saved.push_back(std::getenv(name) ? std::optional<std::string>(std::getenv(name)) : std::nullopt);
    ::setenv("HOME", "/home/someone", 1);
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("XDG_CONFIG_DIRS", "/a:relative/ignored:/b", 1);
    ::setenv("XDG_DATA_HOME", "/data/home", 1);
    ::setenv("XDG_DATA_DIRS", "", 1);
    ::setenv("XDG_CURRENT_DESKTOP", "GNOME:Ubuntu", 1);
    auto directories = uikit::DesktopDirectories::fromEnvironment();
    for (std::size_t i = 0; i < saved.size(); ++i) {
        if (saved[i]) ::setenv(names[i], saved[i]->c_str(), 1);
        else ::unsetenv(names[i]);
    }
    EXPECT_EQ(directories.configHome, "/home/someone/.config");
    EXPECT_EQ(directories.configDirs, (std::vector<fs::path>{"/a", "/b"}));
    EXPECT_EQ(directories.dataHome, "/data/home");
    EXPECT_EQ(directories.dataDirs, (std::vector<fs::path>{"/usr/local/share", "/usr/share"}));
    EXPECT_EQ(directories.desktops, (std::vector<std::string>{"gnome", "ubuntu"}));
}

class DeviceHandlerListTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::processDeviceRoot();
        fs::remove(list());
        fs::remove(foundation::hostPath(uikit::kOpenedURLLogPath));
    }
    static fs::path list() { return foundation::hostPath(uikit::kURLSchemeHandlersPath); }
};

TEST_F(DeviceHandlerListTest, SchemesAreNormalisedAndChecked) {
    EXPECT_EQ(uikit::normalizedURLScheme("TweetBot"), "tweetbot");
    EXPECT_EQ(uikit::normalizedURLScheme("tweetbot:"), "tweetbot");
    EXPECT_EQ(uikit::normalizedURLScheme("tweetbot://"), "tweetbot");
    EXPECT_EQ(uikit::normalizedURLScheme("x-app+v1.2"), "x-app+v1.2");
    for (const char* bad : {"", "://", "1app", "-app", "a b", "app/x", "\xC3\xA9"})
        EXPECT_FALSE(uikit::normalizedURLScheme(bad)) << bad;
}

TEST_F(DeviceHandlerListTest, InstallingAndRemovingAppsChangesTheListOnDisk) {
    EXPECT_TRUE(uikit::deviceURLSchemeHandlers().empty());
    ASSERT_TRUE(uikit::installURLSchemeHandler("Twitter://", "Twitter").ok());
    ASSERT_TRUE(uikit::installURLSchemeHandler("tweetbot", "").ok());
    EXPECT_EQ(uikit::deviceURLSchemeHandlers(),
              (std::map<std::string, std::string>{{"tweetbot", "tweetbot"}, {"twitter", "Twitter"}}));
    EXPECT_EQ(uikit::deviceHandlerForScheme("TWITTER"), "Twitter");
    // Another program reads the same file.
    auto onDisk = foundation::dictionaryWithContentsOfFile(uikit::kURLSchemeHandlersPath);
    ASSERT_TRUE(onDisk);
    EXPECT_EQ(onDisk->at("twitter"), foundation::PlistValue("Twitter"));

    auto removed = uikit::removeURLSchemeHandler("twitter:");
    ASSERT_TRUE(removed.ok());
    EXPECT_TRUE(removed.value());
    auto again = uikit::removeURLSchemeHandler("twitter");
    ASSERT_TRUE(again.ok());
    EXPECT_FALSE(again.value());
    EXPECT_FALSE(uikit::deviceHandlerForScheme("twitter"));
    EXPECT_FALSE(uikit::installURLSchemeHandler("not a scheme", "x").ok());
}

TEST_F(DeviceHandlerListTest, AListWrittenByHandIsReadWithoutCaseAndABrokenOneIsNeverOverwritten) {
    fs::create_directories(list().parent_path());
    ASSERT_TRUE(foundation::writePropertyListAtomically(
                    list(), foundation::NSDictionary{{"Aphelion", "Aphelion"}, {"bad scheme", "x"}, {"cydia", 1}})
                    .ok());
    EXPECT_EQ(uikit::deviceHandlerForScheme("aphelion"), "Aphelion");
    EXPECT_FALSE(uikit::deviceHandlerForScheme("bad scheme"));
    EXPECT_TRUE(uikit::deviceHandlerForScheme("cydia")) << "any value names an installed app";
    auto removed = uikit::removeURLSchemeHandler("aphelion");
    ASSERT_TRUE(removed.ok());
    EXPECT_TRUE(removed.value()) << "the hand-written spelling goes too";

    writeText(list(), "not a property list");
    std::vector<std::string> logged;
    foundation::setLogSinkForTesting([&](const std::string& line) { logged.push_back(line); });
    EXPECT_TRUE(uikit::deviceURLSchemeHandlers().empty());
    EXPECT_FALSE(uikit::installURLSchemeHandler("twitter", "Twitter").ok());
    foundation::setLogSinkForTesting(nullptr);
    EXPECT_FALSE(logged.empty());
    std::ifstream kept(list());
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "not a property list");
}

TEST_F(DeviceHandlerListTest, ConcurrentInstallsLoseNothing) {
    constexpr int kThreads = 4, kEach = 15;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < kEach; ++i)
                EXPECT_TRUE(
                    uikit::installURLSchemeHandler("app" + std::to_string(t) + "x" + std::to_string(i), "A").ok());
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(uikit::deviceURLSchemeHandlers().size(), static_cast<std::size_t>(kThreads * kEach));
}

TEST_F(DeviceHandlerListTest, TheOpenedURLLogKeepsOneURLPerLineInOrder) {
    EXPECT_TRUE(uikit::openedURLLog().empty());
    ASSERT_TRUE(uikit::appendOpenedURL("twitter://user?screen_name=a").ok());
    ASSERT_TRUE(uikit::appendOpenedURL("https://x/\nforged line\r").ok());
    EXPECT_EQ(uikit::openedURLLog(),
              (std::vector<std::string>{"twitter://user?screen_name=a", "https://x/%0Aforged line%0D"}));
}

class UIApplicationTest : public DeviceHandlerListTest {
protected:
    void SetUp() override {
        DeviceHandlerListTest::SetUp();
        application.resetForTesting();
    }
    void TearDown() override { application.resetForTesting(); }
    bool canOpen(const char* url) { return application.canOpenURL(NSURL::URLWithString(url)); }
    UIApplication& application = UIApplication::sharedApplication();
};

TEST_F(UIApplicationTest, ThePhonesOwnSchemesAlwaysOpenAndNothingElseByItself) {
    EXPECT_TRUE(canOpen("https://example.com/"));
    EXPECT_TRUE(canOpen("HTTP://example.com/"));
    EXPECT_TRUE(canOpen("mailto:someone@example.com"));
    EXPECT_FALSE(canOpen("cydia://package/x"));
    EXPECT_FALSE(canOpen("no scheme at all"));
    EXPECT_FALSE(application.canOpenURL(nullptr));
}

TEST_F(UIApplicationTest, AnAppInstalledOrRemovedOnTheDeviceCountsAtOnce) {
    EXPECT_FALSE(canOpen("tweetbot://"));
    ASSERT_TRUE(uikit::installURLSchemeHandler("tweetbot", "Tweetbot").ok());
    EXPECT_TRUE(canOpen("tweetbot://"));
    EXPECT_TRUE(canOpen("Tweetbot:///user_profile/a"));
    ASSERT_TRUE(uikit::removeURLSchemeHandler("tweetbot").ok());
    EXPECT_FALSE(canOpen("tweetbot://"));
}

TEST_F(UIApplicationTest, SchemesRegisteredInTheProcessOpenUntilReset) {
    application.registerURLScheme("Cydia");
    EXPECT_TRUE(canOpen("cydia://package/x"));
    application.unregisterURLScheme("cydia");
    EXPECT_FALSE(canOpen("cydia://package/x"));
    application.registerURLScheme("cydia");
    application.resetForTesting();
    EXPECT_FALSE(canOpen("cydia://package/x"));
}

TEST_F(UIApplicationTest, TheDesktopsHandlersCountOnlyWhereTheRegistryIsRead) {
    fs::path desktop = temporaryFolder();
    writeText(desktop / "share/applications/client.desktop",
              "[Desktop Entry]\nType=Application\nExec=client %u\nMimeType=x-scheme-handler/tweetings;\n");
    uikit::DesktopDirectories directories;
    directories.dataDirs = {desktop / "share"};
    EXPECT_FALSE(canOpen("tweetings://")) << "after a reset the machine's registry is not read";
    application.setDesktopDirectoriesForTesting(directories);
    EXPECT_TRUE(canOpen("tweetings://"));
    EXPECT_FALSE(canOpen("twitter://"));
    fs::remove_all(desktop);
}

TEST_F(UIApplicationTest, OpeningRecordsEveryURLInTheProcessTheDeviceLogAndTheObserver) {
    std::vector<std::string> observed;
    application.setOpenURLObserver([&](const std::string& url) { observed.push_back(url); });
    EXPECT_TRUE(application.openURL(NSURL::URLWithString("https://example.com/a")));
    EXPECT_FALSE(application.openURL(NSURL::URLWithString("cydia://package/x"))) << "nothing takes cydia";
    ASSERT_TRUE(uikit::installURLSchemeHandler("cydia", "Cydia").ok());
    EXPECT_TRUE(application.openURL(NSURL::URLWithString("cydia://package/x")));
    EXPECT_FALSE(application.openURL(nullptr));
    const std::vector<std::string> expected{"https://example.com/a", "cydia://package/x", "cydia://package/x"};
    EXPECT_EQ(application.openedURLs(), expected);
    EXPECT_EQ(observed, expected);
    EXPECT_EQ(uikit::openedURLLog(), expected);
}

}  // namespace
