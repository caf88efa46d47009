// The home screen's banner stand-in: bulletins reach the shared controller
// by name, are recorded and handed to listeners, and draw as framed boxes.
#include "platform/springboard/BannerBox.h"
#include "platform/springboard/BulletinSelectors.h"
#include "platform/springboard/PresentedBanner.h"
#include "platform/springboard/SBBulletinBannerController.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::size_t characters(const std::string& utf8) {
    std::size_t count = 0;
    for (unsigned char c : utf8) count += (c & 0xC0) != 0x80;
    return count;
}

// Every line the same width, so the frame closes.
void expectClosedFrame(const std::vector<std::string>& lines) {
    ASSERT_GE(lines.size(), 3u);
    for (const auto& line : lines) EXPECT_EQ(characters(line), characters(lines.front())) << line;
    EXPECT_TRUE(lines.front().starts_with("\u250C\u2500 "));
    EXPECT_TRUE(lines.back().starts_with("\u2514"));
}

TEST(BannerBoxTest, ShowsTheTitleInTheTopEdgeAndTheMessageInside) {
    auto lines = linesOf(springboard::drawBannerBox("Snapfold", "Your image was successfully saved."));
    expectClosedFrame(lines);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find(" Snapfold "), std::string::npos);
    EXPECT_NE(lines[1].find("Your image was successfully saved."), std::string::npos);
}

TEST(BannerBoxTest, WrapsALongMessageAtWordBoundaries) {
    const std::string message = "Sorry, an error occurred and the image could not be saved. Please try again.";
    auto lines = linesOf(springboard::drawBannerBox("Snapfold", message));
    expectClosedFrame(lines);
    ASSERT_EQ(lines.size(), 4u);
    // The words, read back line by line, are the message.
    std::string rejoined;
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
        const std::string left = "\u2502 ", right = " \u2502";
        std::string inner = lines[i].substr(left.size(), lines[i].size() - left.size() - right.size());
        std::string text = inner.substr(0, inner.find_last_not_of(' ') + 1);
        rejoined += (rejoined.empty() ? "" : " ") + text;
        EXPECT_LE(characters(text), springboard::kBannerBoxTextColumns);
    }
    EXPECT_EQ(rejoined, message);
}

TEST(BannerBoxTest, CountsCharactersNotBytes) {
    expectClosedFrame(linesOf(springboard::drawBannerBox("Réglages", "Álbum «Fériés» créé")));
}

TEST(BannerBoxTest, CutsAWordLongerThanALine) {
    auto lines = linesOf(springboard::drawBannerBox("T", std::string(130, 'x')));
    expectClosedFrame(lines);
    EXPECT_EQ(lines.size(), 2u + 3u);  // 56 + 56 + 18 characters.
}

TEST(BannerBoxTest, AnEmptyMessageStillDrawsAFrame) {
    expectClosedFrame(linesOf(springboard::drawBannerBox("Snapfold", "")));
}

class BannerControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        springboard::registerBannerClasses();
        springboard::setBannerTerminal(nullptr);
        springboard::clearPresentedBannersForTesting();
    }

    static std::shared_ptr<objc::Object> requestWith(const std::string& title, const std::string& message) {
        auto request = objc::allocInit(objc::objc_getClass(springboard::kBulletinRequestClassName));
        objc::msgSend(request.get(), springboard::kSetTitle, title);
        objc::msgSend(request.get(), springboard::kSetMessage, message);
        objc::msgSend(request.get(), springboard::kSetSectionID, std::string("com.example.section"));
        return request;
    }
    static std::shared_ptr<objc::Object> controller() {
        return objc::msgSend(objc::objc_getClass(springboard::kBannerControllerClassName),
                             springboard::kSharedInstance);
    }
};

TEST_F(BannerControllerTest, TheSharedInstanceIsOneObject) {
    auto first = controller();
    ASSERT_TRUE(first);
    EXPECT_EQ(first, controller());
}

TEST_F(BannerControllerTest, ARequestKeepsWhatWasSetOnIt) {
    auto request = requestWith("Title", "Message");
    EXPECT_EQ(objc::msgSend(request.get(), springboard::kTitle), "Title");
    EXPECT_EQ(objc::msgSend(request.get(), springboard::kMessage), "Message");
    EXPECT_EQ(objc::msgSend(request.get(), springboard::kSectionID), "com.example.section");
}

TEST_F(BannerControllerTest, AnAddedBulletinIsRecordedAndHeardByListeners) {
    std::vector<std::string> heard;
    auto token = springboard::addBannerListener(
        [&](const springboard::PresentedBanner& banner) { heard.push_back(banner.title + "|" + banner.message); });
    auto observer = objc::allocInit(objc::rootClass());
    auto request = requestWith("Title", "Message");
    objc::msgSend(controller().get(), springboard::kObserverAddBulletinForFeed, observer.get(), request, 8ul);
    springboard::removeBannerListener(token);
    objc::msgSend(controller().get(), springboard::kObserverAddBulletinForFeed, nullptr, requestWith("Late", "x"), 2ul);

    EXPECT_EQ(heard, std::vector<std::string>{"Title|Message"});
    auto shown = springboard::presentedBannersForTesting();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].sectionID, "com.example.section");
    EXPECT_EQ(shown[0].feed, 8u);
    EXPECT_EQ(shown[0].observer, observer.get());
    EXPECT_EQ(shown[0].bulletin, request);
    EXPECT_EQ(shown[1].title, "Late");
}

// A long-running app shows a banner per save: the controller lets go of old
// bulletins instead of keeping every one it ever showed.
TEST_F(BannerControllerTest, OldBulletinsAreReleased) {
    auto first = requestWith("First", "x");
    std::weak_ptr<objc::Object> watch = first;
    objc::msgSend(controller().get(), springboard::kObserverAddBulletinForFeed, nullptr, std::move(first), 2ul);
    for (int i = 0; i < 1000; ++i)
        objc::msgSend(controller().get(), springboard::kObserverAddBulletinForFeed, nullptr, requestWith("Later", "x"),
                      2ul);
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(springboard::presentedBannersForTesting().back().title, "Later");
}

TEST_F(BannerControllerTest, ABannerIsDrawnOnTheChosenTerminal) {
    std::FILE* terminal = std::tmpfile();
    ASSERT_TRUE(terminal);
    springboard::setBannerTerminal(terminal);
    objc::msgSend(controller().get(), springboard::kObserverAddBulletinForFeed, nullptr,
                  requestWith("Snapfold", "Saved."), 2ul);
    springboard::setBannerTerminal(nullptr);
    std::rewind(terminal);
    std::string drawn;
    for (int c; (c = std::fgetc(terminal)) != EOF;) drawn += static_cast<char>(c);
    std::fclose(terminal);
    EXPECT_EQ(drawn, springboard::drawBannerBox("Snapfold", "Saved."));
}

TEST_F(BannerControllerTest, NoBulletinShowsNothing) {
    objc::msgSend(controller().get(), springboard::kObserverAddBulletinForFeed, nullptr,
                  std::shared_ptr<objc::Object>(), 2ul);
    EXPECT_TRUE(springboard::presentedBannersForTesting().empty());
}

}  // namespace
