// The first page: section headers, the fading title logo, the share sheet
// and the support mail; and the two sub-pages.
#include "tests/prefs/PrefsTestSupport.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSLog.h"
#include "platform/messageui/MFMailComposeViewController.h"
#include "platform/social/SLComposeViewController.h"
#include "platform/uikit/NSRunLoop.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIImageRenderingMode.h"
#include "platform/uikit/UIImageView.h"
#include "prefs/SettingsFile.h"
#include "prefs/ShareSheet.h"
#include "prefs/SnapfoldListController.h"
#include "prefs/VeltronaSnapfoldConfigurationListController.h"
#include "prefs/VeltronaSnapfoldMakersListController.h"
#include "prefs/views/VeltronaSnapfoldCustomHeaderView.h"
#include "prefs/views/VeltronaSnapfoldLogoTableCell.h"

#include <fstream>
#include <iterator>

namespace fs = std::filesystem;
using foundation::PlistValue;

namespace {

void writeDeviceFile(const char* path, const foundation::NSDictionary& contents) {
    fs::create_directories(foundation::hostPath(path).parent_path());
    ASSERT_TRUE(foundation::writePropertyListAtomically(foundation::hostPath(path), contents).ok());
}

class RootPageTest : public prefstest::SettingsPageTest {
protected:
    void SetUp() override {
        SettingsPageTest::SetUp();
        page = SnapfoldListController::create();
        page->setBundle(foundation::NSBundle::bundleWithPath(snapfold::prefs::kBundlePath));
    }
    uikit::UIView* titleView() { return page->navigationItem().titleView().get(); }

    std::shared_ptr<SnapfoldListController> page;
};

TEST_F(RootPageTest, HeaderHeightsBySection) {
    auto table = page->table();
    EXPECT_EQ(page->tableViewHeightForHeaderInSection(*table, 0), 140.0);
    EXPECT_EQ(page->tableViewHeightForHeaderInSection(*table, 4), 30.0);
    for (long section : {1L, 2L, 3L, 5L, 6L, 40L})
        EXPECT_EQ(page->tableViewHeightForHeaderInSection(*table, section), -1.0);
}

TEST_F(RootPageTest, OnlySectionsZeroAndFourGetAHeaderViewMadeAnewEachTime) {
    auto table = page->table();
    auto first = page->tableViewViewForHeaderInSection(*table, 0);
    EXPECT_TRUE(std::dynamic_pointer_cast<VeltronaSnapfoldCustomHeaderView>(first));
    EXPECT_NE(page->tableViewViewForHeaderInSection(*table, 0), first);
    EXPECT_TRUE(
        std::dynamic_pointer_cast<VeltronaSnapfoldLogoTableCell>(page->tableViewViewForHeaderInSection(*table, 4)));
    for (long section : {1L, 2L, 3L, 5L}) EXPECT_FALSE(page->tableViewViewForHeaderInSection(*table, section));
    EXPECT_GE(page->sections().size(), 5u) << "the list must reach the logo's section";
}

TEST_F(RootPageTest, TheTitleLogoFadesInOnTheRunLoopsClock) {
    auto& loop = uikit::NSRunLoop::mainRunLoop();
    auto shown = prefstest::showPage(page);
    auto* logo = dynamic_cast<uikit::UIImageView*>(titleView());
    ASSERT_TRUE(logo);
    ASSERT_TRUE(logo->image()) << "headerLogo.png is in the bundle";
    EXPECT_EQ(uikit::renderingModeOf(*logo->image()), uikit::UIImageRenderingModeAlwaysTemplate);
    EXPECT_EQ(logo->alpha(), 0.0);
    loop.runUntilDate(0.49);
    EXPECT_EQ(logo->presentationAlpha(), 0.0) << "invisible for the first half second";
    loop.runUntilDate(0.75);
    EXPECT_NEAR(logo->presentationAlpha(), 0.5, 1e-9);
    loop.runUntilDate(1.0);
    EXPECT_EQ(logo->presentationAlpha(), 1.0);
    EXPECT_EQ(logo->alpha(), 1.0);
}

TEST_F(RootPageTest, ThePendingTimerHoldsThePageUntilItFires) {
    std::weak_ptr<SnapfoldListController> weakPage = page;
    {
        auto shown = prefstest::showPage(page);
        shown.inner->popViewControllerAnimated(false);
    }
    page.reset();
    EXPECT_FALSE(weakPage.expired()) << "the timer keeps the page";
    uikit::NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_TRUE(weakPage.expired());
}

TEST_F(RootPageTest, TheShareSheetCarriesTheShareTextAndDismissesItself) {
    writeDeviceFile(social::kAccountsPlistPath, {{"TwitterAccount", "@someone"}});
    auto shown = prefstest::showPage(page);
    ASSERT_TRUE(page->navigationItem().rightBarButtonItem());
    EXPECT_EQ(page->navigationItem().rightBarButtonItem()->systemItem(), 7);
    page->navigationItem().rightBarButtonItem()->tap();
    auto sheet = std::dynamic_pointer_cast<social::SLComposeViewController>(page->presentedViewController());
    ASSERT_TRUE(sheet) << "the page itself presents the sheet";
    EXPECT_EQ(sheet->initialText(), snapfold::prefs::kShareText);
    EXPECT_EQ(sheet->initialTextChangeCount(), 1);
    sheet->send();
    EXPECT_FALSE(page->presentedViewController());
    auto opened = uikit::UIApplication::sharedApplication().openedURLs();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], social::kTweetComposeAddress + social::percentEncodeQueryValue(snapfold::prefs::kShareText));
}

TEST_F(RootPageTest, WithoutTwitterTheShareButtonDoesNothing) {
    auto shown = prefstest::showPage(page);
    page->navigationItem().rightBarButtonItem()->tap();
    EXPECT_FALSE(page->presentedViewController());
    EXPECT_TRUE(uikit::UIApplication::sharedApplication().openedURLs().empty());
}

class SupportMailTest : public RootPageTest {
protected:
    void SetUp() override {
        RootPageTest::SetUp();
        writeDeviceFile(messageui::kAccountsPlistPath, {{"MailAddress", "me@example.com"}});
        writeDeviceFile("/System/Library/CoreServices/SystemVersion.plist",
                        {{"ProductVersion", "8.3"}, {"ProductBuildVersion", "12F70"}});
        writeDeviceFile("/System/Library/CoreServices/DeviceInfo.plist", {{"ProductType", "iPhone6,1"}});
        shown = prefstest::showPage(page);
    }
    std::shared_ptr<messageui::MFMailComposeViewController> tapSupport() {
        auto row = page->specifierForID("Email support");
        EXPECT_TRUE(row);
        if (row) {
            EXPECT_TRUE(page->performActionForSpecifier(*row));
        }
        return std::dynamic_pointer_cast<messageui::MFMailComposeViewController>(
            shown.inner->presentedViewController());
    }
    prefstest::ShownPage shown;
};

TEST_F(SupportMailTest, TheMailCarriesSubjectRecipientDeviceLineAndSettings) {
    prefstest::writeSettingsFile({{"albumName", "Trips"}});
    std::ifstream in(prefstest::settingsFile(), std::ios::binary);
    foundation::NSData fileBytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    auto mail = tapSupport();
    ASSERT_TRUE(mail) << "presented by the navigation controller";
    EXPECT_FALSE(page->presentedViewController());
    EXPECT_EQ(mail->subject(), "Snapfold Support");
    ASSERT_EQ(mail->toRecipients().size(), 1u);
    EXPECT_EQ(mail->toRecipients()[0], SnapfoldListController::supportRecipient());
    EXPECT_TRUE(mail->toRecipients()[0].starts_with("Veltrona <"));
    EXPECT_FALSE(mail->isBodyHTML());
    EXPECT_EQ(mail->messageBody(), "\n\nCurrent Device: iPhone6,1, iOS 8.3 (12F70)");
    ASSERT_EQ(mail->attachments().size(), 1u);
    EXPECT_EQ(mail->attachments()[0].fileName, "SnapfoldPrefs.plist");
    EXPECT_EQ(mail->attachments()[0].mimeType, "application/xml");
    EXPECT_EQ(*mail->attachments()[0].data, fileBytes);
    EXPECT_EQ(mail->mailComposeDelegate().get(),
              static_cast<messageui::MFMailComposeViewControllerDelegate*>(page.get()));
}

TEST_F(SupportMailTest, SendingWritesTheMessageAndDismissesTheSheet) {
    prefstest::writeSettingsFile({{"albumName", "Trips"}});
    auto mail = tapSupport();
    ASSERT_TRUE(mail);
    auto written = mail->send();
    ASSERT_TRUE(written.ok());
    EXPECT_TRUE(written.value().starts_with(messageui::kMailOutboxFolder));
    std::ifstream message(foundation::hostPath(written.value()), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(message)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Subject: Snapfold Support\r\n"), std::string::npos);
    EXPECT_NE(text.find("filename=\"SnapfoldPrefs.plist\""), std::string::npos);
    EXPECT_FALSE(shown.inner->presentedViewController()) << "the page dismisses the sheet";
}

TEST_F(SupportMailTest, BeforeTheFirstChangeTheMailGoesWithoutAttachment) {
    auto mail = tapSupport();
    ASSERT_TRUE(mail);
    EXPECT_TRUE(mail->attachments().empty());
    EXPECT_TRUE(mail->send().ok());
}

TEST_F(SupportMailTest, ADeviceThatCannotSendMailShowsNothingAndLogs) {
    fs::remove(foundation::hostPath(messageui::kAccountsPlistPath));
    std::vector<std::string> logged;
    foundation::setLogSinkForTesting([&](const std::string& line) { logged.push_back(line); });
    auto mail = tapSupport();
    foundation::setLogSinkForTesting(nullptr);
    EXPECT_FALSE(mail);
    EXPECT_FALSE(shown.inner->presentedViewController());
    EXPECT_EQ(logged.size(), 1u);
}

TEST_F(SupportMailTest, AnyOutcomeDismissesTheSheet) {
    auto mail = tapSupport();
    ASSERT_TRUE(mail);
    mail->cancel();
    EXPECT_FALSE(shown.inner->presentedViewController());
}

class SubPageTest : public prefstest::SettingsPageTest {};

TEST_F(SubPageTest, RowsLoadOnceButTheTitleIsSetAtEveryCall) {
    auto bundle = foundation::NSBundle::bundleWithPath(snapfold::prefs::kBundlePath);
    auto configuration = VeltronaSnapfoldConfigurationListController::create();
    configuration->setBundle(bundle);
    auto first = configuration->specifiers();
    configuration->setTitle("changed meanwhile");
    auto second = configuration->specifiers();
    EXPECT_EQ(first.get(), second.get());
    EXPECT_EQ(configuration->title(), bundle->localizedStringForKey("CONFIGURATION", "", std::nullopt));
    EXPECT_FALSE(first->empty());

    auto makers = VeltronaSnapfoldMakersListController::create();
    makers->setBundle(bundle);
    makers->specifiers();
    EXPECT_EQ(makers->title(), bundle->localizedStringForKey("MAKERS", "", std::nullopt));
}

TEST_F(SubPageTest, TheSubPagesShareTheSameText) {
    writeDeviceFile(social::kAccountsPlistPath, {{"TwitterAccount", "@someone"}});
    auto page = VeltronaSnapfoldMakersListController::create();
    page->setBundle(foundation::NSBundle::bundleWithPath(snapfold::prefs::kBundlePath));
    auto shown = prefstest::showPage(page);
    page->navigationItem().rightBarButtonItem()->tap();
    auto sheet = std::dynamic_pointer_cast<social::SLComposeViewController>(page->presentedViewController());
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->initialText(), snapfold::prefs::kShareText);
    EXPECT_FALSE(page->navigationItem().titleView()) << "sub-pages show their title, not the logo";
}

}  // namespace
