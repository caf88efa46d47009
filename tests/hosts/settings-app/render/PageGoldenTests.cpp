// The view trees of the three pages and the album choice list, with every frame the layout gave them,
// on a phone and on a pad, compared with the golden dumps in tests/golden/;
// and the line diff those comparisons print.
#include "hosts/settings-app/render/PageDump.h"
#include "tests/hosts/settings-app/render/GoldenText.h"
#include "tests/hosts/settings-app/render/PageTestSupport.h"

namespace {

using pagetest::Page;

class PageGoldenTest : public pagetest::PageScreenTest, public ::testing::WithParamInterface<std::tuple<Page, bool>> {};

TEST_P(PageGoldenTest, TheDumpMatchesItsGoldenFile) {
    auto [which, pad] = GetParam();
    setPad(pad);
    auto page = open(which);
    ASSERT_TRUE(page.top);
    auto screen = compose(page, pad ? settingsapp::kPadScreenWidth : settingsapp::kPhoneScreenWidth);
    EXPECT_TRUE(screen.layout.ok()) << screen.layout.describe();
    std::string name = std::string(pagetest::pageName(which)) + (pad ? "-pad.txt" : "-phone.txt");
    EXPECT_TRUE(goldentest::matchesGoldenFile(settingsapp::dumpPageScreen(*page.top, screen), name));
}

INSTANTIATE_TEST_SUITE_P(Pages, PageGoldenTest,
                         ::testing::Combine(::testing::Values(Page::Root, Page::Configuration, Page::Makers,
                                                              Page::AlbumChoice),
                                            ::testing::Bool()),
                         [](const auto& info) {
                             std::string name = pagetest::pageName(std::get<0>(info.param));
                             std::erase(name, '-');
                             return name + (std::get<1>(info.param) ? "OnPad" : "OnPhone");
                         });

TEST(GoldenDiffTest, ShowsChangedLinesWithTheirContextAndLineNumbers) {
    std::string expected, actual;
    for (int i = 1; i <= 20; ++i) {
        expected += "line " + std::to_string(i) + "\n";
        if (i == 5) actual += "line five\n";
        else if (i != 15) actual += "line " + std::to_string(i) + "\n";
    }
    actual += "line 21\n";
    EXPECT_EQ(goldentest::unifiedDiff(expected, expected, "a", "b"), "");
    EXPECT_EQ(goldentest::unifiedDiff(expected, actual, "golden", "current", 2),
              "--- golden\n+++ current\n"
              "@@ -3,5 +3,5 @@\n line 3\n line 4\n-line 5\n+line five\n line 6\n line 7\n"
              "@@ -13,5 +13,4 @@\n line 13\n line 14\n-line 15\n line 16\n line 17\n"
              "@@ -19,2 +18,3 @@\n line 19\n line 20\n+line 21\n");
    // Changes with no more than twice the context between them share a hunk.
    EXPECT_EQ(goldentest::unifiedDiff("a\nb\nc\nd\ne\n", "A\nb\nc\nd\nE\n", "golden", "current", 2),
              "--- golden\n+++ current\n@@ -1,5 +1,5 @@\n-a\n+A\n b\n c\n d\n-e\n+E\n");
}

}  // namespace
