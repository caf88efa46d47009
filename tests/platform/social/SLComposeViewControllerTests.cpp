// The share sheet: availability, the text it holds, and what sending does.
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/PropertyList.h"
#include "platform/social/SLComposeViewController.h"
#include "platform/uikit/UIApplication.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using social::SLComposeViewController;

class SLComposeViewControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::processDeviceRoot();
        std::filesystem::remove(foundation::hostPath(social::kAccountsPlistPath));
        uikit::UIApplication::sharedApplication().resetForTesting();
    }
    static void signIn(const char* account) {
        std::filesystem::create_directories(foundation::hostPath(social::kAccountsPlistPath).parent_path());
        ASSERT_TRUE(foundation::writePropertyListAtomically(foundation::hostPath(social::kAccountsPlistPath),
                                                            foundation::NSDictionary{{"TwitterAccount", account}})
                        .ok());
    }
};

TEST_F(SLComposeViewControllerTest, TwitterIsAvailableOnlyWithAnAccount) {
    EXPECT_FALSE(SLComposeViewController::isAvailableForServiceType(social::SLServiceTypeTwitter));
    signIn("");
    EXPECT_FALSE(SLComposeViewController::isAvailableForServiceType(social::SLServiceTypeTwitter));
    signIn("@someone");
    EXPECT_TRUE(SLComposeViewController::isAvailableForServiceType(social::SLServiceTypeTwitter));
    EXPECT_FALSE(SLComposeViewController::isAvailableForServiceType("com.apple.social.facebook"));
    EXPECT_FALSE(SLComposeViewController::composeViewControllerForServiceType("com.apple.social.facebook"));
}

TEST_F(SLComposeViewControllerTest, TheTextIsFixedOnceShownAndSendingOpensTheTweetAddress) {
    auto presenter = uikit::UIViewController::create();
    auto sheet = SLComposeViewController::composeViewControllerForServiceType(social::SLServiceTypeTwitter);
    EXPECT_TRUE(sheet->setInitialText("a & b #1 ü"));
    presenter->presentViewController(sheet, true, nullptr);
    EXPECT_FALSE(sheet->setInitialText("later"));
    std::vector<long> results;
    sheet->setCompletionHandler([&](long result) { results.push_back(result); });
    sheet->send();
    sheet->send();
    sheet->cancel();
    EXPECT_EQ(results, (std::vector<long>{social::SLComposeViewControllerResultDone}));
    EXPECT_EQ(uikit::UIApplication::sharedApplication().openedURLs(),
              (std::vector<std::string>{std::string(social::kTweetComposeAddress) + "a%20%26%20b%20%231%20%C3%BC"}));
}

TEST_F(SLComposeViewControllerTest, CancellingOpensNothing) {
    auto sheet = SLComposeViewController::composeViewControllerForServiceType(social::SLServiceTypeTwitter);
    std::vector<long> results;
    sheet->setCompletionHandler([&](long result) { results.push_back(result); });
    sheet->cancel();
    EXPECT_EQ(results, (std::vector<long>{social::SLComposeViewControllerResultCancelled}));
    EXPECT_TRUE(uikit::UIApplication::sharedApplication().openedURLs().empty());
}

}  // namespace
