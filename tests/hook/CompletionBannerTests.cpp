// The outcome banner: shown through the home screen's two classes, found by
// name at each call, and nothing at all where either is missing.
#include "hook/CompletionBanner.h"
#include "platform/springboard/BBBulletinRequest.h"
#include "platform/springboard/BulletinSelectors.h"
#include "platform/springboard/PresentedBanner.h"
#include "platform/springboard/SBBulletinBannerController.h"
#include "tests/hook/HookTestFixture.h"

#include <gtest/gtest.h>

namespace {

class CompletionBannerTest : public ::testing::Test {
protected:
    void SetUp() override {
        springboard::setBannerTerminal(nullptr);
        springboard::clearPresentedBannersForTesting();
        hooktest::unregisterClass(springboard::kBannerControllerClassName);
        hooktest::unregisterClass(springboard::kBulletinRequestClassName);
    }
    void TearDown() override { springboard::registerBannerClasses(); }

    // Nothing shown and no request made by the call.
    void expectNothingFor(const std::string& message) {
        std::size_t requestsBefore = springboard::BBBulletinRequest::instancesCreatedForTesting();
        snapfold::showCompletionBannerWithMessage(message);
        EXPECT_TRUE(springboard::presentedBannersForTesting().empty());
        EXPECT_EQ(springboard::BBBulletinRequest::instancesCreatedForTesting(), requestsBefore);
    }
};

TEST_F(CompletionBannerTest, NeitherClassPresentShowsNothing) {
    expectNothingFor("Your image was successfully saved.");
}

TEST_F(CompletionBannerTest, OnlyTheRequestClassPresentMakesNoRequest) {
    springboard::registerBulletinRequestClass();
    expectNothingFor("Your image was successfully saved.");
}

TEST_F(CompletionBannerTest, OnlyTheControllerPresentShowsNothing) {
    springboard::registerBannerControllerClass();
    expectNothingFor("Your image was successfully saved.");
}

TEST_F(CompletionBannerTest, BothPresentShowOneBulletinPerCall) {
    springboard::registerBannerClasses();
    std::size_t requestsBefore = springboard::BBBulletinRequest::instancesCreatedForTesting();

    snapfold::showCompletionBannerWithMessage("first");
    snapfold::showCompletionBannerWithMessage(
        "Sorry, an error occurred and the image could not be saved. Please try again.");

    auto shown = springboard::presentedBannersForTesting();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(springboard::BBBulletinRequest::instancesCreatedForTesting(), requestsBefore + 2);
    const char* messages[] = {"first", "Sorry, an error occurred and the image could not be saved. Please try again."};
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(shown[i].title, "Snapfold");
        EXPECT_EQ(shown[i].message, messages[i]);
        EXPECT_EQ(shown[i].sectionID, "net.whatsapp.WhatsApp");
        EXPECT_EQ(shown[i].feed, 2u);
        EXPECT_EQ(shown[i].observer, nullptr);
        // The bulletin is a request of the registered class.
        ASSERT_TRUE(shown[i].bulletin);
        EXPECT_EQ(shown[i].bulletin->isa(), objc::objc_getClass(springboard::kBulletinRequestClassName));
    }
    EXPECT_NE(shown[0].bulletin, shown[1].bulletin);
}

// The classes are looked up at every call: classes that arrive after a first,
// silent call are used by the next one.
TEST_F(CompletionBannerTest, ClassesThatArriveLaterAreUsed) {
    snapfold::showCompletionBannerWithMessage("too early");
    springboard::registerBannerClasses();
    snapfold::showCompletionBannerWithMessage("in time");
    auto shown = springboard::presentedBannersForTesting();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].message, "in time");
}

}  // namespace
