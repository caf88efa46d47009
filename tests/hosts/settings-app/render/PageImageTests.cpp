// The pages as pictures: PNG of the right size, read back with libpng, with
// the pages' colours where the screen's frames say they are; and the Settings
// host's render and dump commands in processes of their own.
#include "hosts/settings-app/render/PageImage.h"
#include "platform/uikit/UISwitch.h"
#include "platform/uikit/render/PngOutput.h"
#include "prefs/views/VeltronaSnapfoldCustomHeaderView.h"
#include "tests/hosts/settings-app/render/PageTestSupport.h"
#include "tests/support/TestSupport.h"

#include <png.h>

#include <cmath>
#include <fstream>
#include <iterator>

#include <unistd.h>

namespace {

using pagetest::Page;
using pagetest::viewsOfClass;

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.r << " " << c.g << " " << c.b << ")";
}

Rgb rgbOf(double r, double g, double b) {
    return {static_cast<int>(std::lround(r * 255)), static_cast<int>(std::lround(g * 255)),
            static_cast<int>(std::lround(b * 255))};
}

// A PNG read back by libpng, as 8-bit RGBA.
struct DecodedPng {
    bool ok = false;
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> rgba;

    Rgb at(double x, double y, double scale) const {
        std::size_t i = (static_cast<std::size_t>(y * scale) * width + static_cast<std::size_t>(x * scale)) * 4;
        return {rgba[i], rgba[i + 1], rgba[i + 2]};
    }
    // How many pixels of the region (points) lie within `tolerance` of `color`.
    int count(uikit::CGRect region, double scale, Rgb color, int tolerance) const {
        int n = 0;
        for (double y = region.minY(); y < region.maxY(); y += 1 / scale)
            for (double x = region.minX(); x < region.maxX(); x += 1 / scale) {
                Rgb c = at(x, y, scale);
                if (std::abs(c.r - color.r) <= tolerance && std::abs(c.g - color.g) <= tolerance &&
                    std::abs(c.b - color.b) <= tolerance)
                    ++n;
            }
        return n;
    }
};

DecodedPng decodePng(const std::vector<std::uint8_t>& bytes) {
    DecodedPng decoded;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return decoded;
    image.format = PNG_FORMAT_RGBA;
    decoded.width = image.width;
    decoded.height = image.height;
    decoded.rgba.resize(PNG_IMAGE_SIZE(image));
    decoded.ok = png_image_finish_read(&image, nullptr, decoded.rgba.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return decoded;
}

std::vector<std::uint8_t> readBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class PageImageTest : public pagetest::PageScreenTest {};

TEST_F(PageImageTest, TheRootPageAtPhoneWidthShowsItsColoursWhereItsViewsAre) {
    auto page = open(Page::Root);
    auto screen = compose(page, settingsapp::kPhoneScreenWidth);
    ASSERT_TRUE(screen.layout.ok()) << screen.layout.describe();
    constexpr double scale = 2;
    auto surface = settingsapp::renderPageScreen(screen, scale);
    auto bytes = uikit::render::encodePng(surface.get());
    ASSERT_TRUE(bytes.ok());
    DecodedPng png = decodePng(bytes.value());
    ASSERT_TRUE(png.ok) << "libpng reads what cairo wrote";
    EXPECT_EQ(png.width, 375 * scale);
    EXPECT_EQ(png.height, static_cast<std::uint32_t>(std::ceil(screen.root->frame().size.height * scale)));

    // 1. The bar tint the page sets, behind the status bar and the navigation bar.
    Rgb barTint = rgbOf(0.016, 0.369, 0.325);
    EXPECT_EQ(png.at(20, 10, scale), barTint);
    EXPECT_EQ(png.at(120, 40, scale), barTint);
    EXPECT_GT(png.count(uikit::CGRectMake(0, 0, 375, 63), scale, barTint, 0), 375 * 63 * scale * scale * 0.8);
    // The logo and the share glyph are drawn in the bar's white tint.
    EXPECT_GT(png.count(uikit::CGRectMake(172.5, 27, 30, 30), scale, {255, 255, 255}, 10), 50);
    EXPECT_GT(png.count(uikit::CGRectMake(337, 31, 22, 22), scale, {255, 255, 255}, 10), 20);

    // 2. The banner: the table's background around grey lines of text where
    //    the layout put its labels.
    auto banners = viewsOfClass<VeltronaSnapfoldCustomHeaderView>(*screen.root);
    ASSERT_EQ(banners.size(), 1u);
    auto header = pagetest::frameOnScreen(*banners[0]->headerLabel());
    Rgb background = rgbOf(239 / 255.0, 239 / 255.0, 244 / 255.0);
    EXPECT_EQ(png.at(5, header.minY() + 2, scale), background);
    EXPECT_GT(png.count(header, scale, {128, 128, 128}, 12), 100) << "the product name in grey";
    EXPECT_EQ(png.count(uikit::CGRectMake(0, 64, 375, header.minY() - 64), scale, {128, 128, 128}, 12), 0)
        << "nothing grey above the name's frame";

    // 3. The first row: white, with the switch on in the page's on-tint colour.
    auto switches = viewsOfClass<uikit::UISwitch>(*screen.root);
    ASSERT_EQ(switches.size(), 1u);
    auto control = pagetest::frameOnScreen(*switches[0]);
    EXPECT_EQ(png.at(control.minX() - 20, control.midY(), scale), (Rgb{255, 255, 255}));
    EXPECT_EQ(png.at(control.minX() + 10, control.midY(), scale), rgbOf(0.165, 0.608, 0.557));
}

TEST_F(PageImageTest, ThePadScreenIsWiderAndWrittenToAFile) {
    setPad(true);
    auto page = open(Page::Makers);
    auto screen = compose(page, settingsapp::kPadScreenWidth);
    ASSERT_TRUE(screen.layout.ok()) << screen.layout.describe();
    auto folder = std::filesystem::temp_directory_path() / ("snapfold-pages-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    ASSERT_TRUE(settingsapp::writePageImage(screen, 1, folder / "makers.png").ok());
    DecodedPng png = decodePng(readBytes(folder / "makers.png"));
    ASSERT_TRUE(png.ok);
    EXPECT_EQ(png.width, 768u);
    EXPECT_EQ(png.at(700, 40, 1), rgbOf(0.016, 0.369, 0.325)) << "the bar spans the pad's width";
    EXPECT_FALSE(settingsapp::writePageImage(screen, 1, folder / "missing" / "makers.png").ok());
    std::filesystem::remove_all(folder);
}

class PageCommandTest : public pagetest::PageScreenTest {
protected:
    void SetUp() override {
        PageScreenTest::SetUp();
        auto installed = run({"install"});
        ASSERT_EQ(installed.exitCode, 0) << installed.errors;
        folder = std::filesystem::temp_directory_path() / ("snapfold-host-pages-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override {
        std::filesystem::remove_all(folder);
        PageScreenTest::TearDown();
    }
    static testsupport::ProgramResult run(const std::vector<std::string>& arguments) {
        return testsupport::runProgram(testsupport::buildDirectory() / "bin" / "snapfold-settings-app", arguments);
    }
    std::filesystem::path folder;
};

TEST_F(PageCommandTest, TheHostRendersEachPageAtTheIdiomsWidth) {
    struct Case {
        std::vector<std::string> pages;
        std::string idiom;
        std::uint32_t width;
    };
    for (const Case& c : {Case{{}, "phone", 750}, Case{{"--page", "Configuration"}, "pad", 1536},
                          Case{{"--page", "MAKERS"}, "phone", 750}}) {
        auto file = folder / ("page-" + c.idiom + ".png");
        std::vector<std::string> arguments = c.pages;
        for (const std::string& a : {std::string("render"), file.string(), std::string("--idiom"), c.idiom})
            arguments.push_back(a);
        auto rendered = run(arguments);
        ASSERT_EQ(rendered.exitCode, 0) << rendered.errors;
        EXPECT_NE(rendered.output.find("rendered "), std::string::npos) << rendered.output;
        DecodedPng png = decodePng(readBytes(file));
        ASSERT_TRUE(png.ok) << file;
        EXPECT_EQ(png.width, c.width);
    }
}

TEST_F(PageCommandTest, TheHostDumpsThePageTreeAndRefusesBadOptions) {
    auto dumped = run({"--page", "Makers", "dump", "--idiom", "pad", "--width", "1024"});
    ASSERT_EQ(dumped.exitCode, 0) << dumped.errors;
    EXPECT_NE(dumped.output.find("page: VeltronaSnapfoldMakersListController \"Makers\""), std::string::npos);
    EXPECT_NE(dumped.output.find("screen: 1024 x "), std::string::npos) << dumped.output.substr(0, 200);
    EXPECT_NE(dumped.output.find(", pad\n"), std::string::npos);
    EXPECT_NE(dumped.output.find("layout: solved"), std::string::npos);

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"dump", "--width", "-3"}, std::vector<std::string>{"dump", "--idiom", "watch"},
          std::vector<std::string>{"render"}, std::vector<std::string>{"render", "a.png", "--scale", "0"},
          std::vector<std::string>{"render", (folder / "missing" / "a.png").string()}}) {
        auto refused = run(bad);
        EXPECT_EQ(refused.exitCode, 2) << bad.back() << ": " << refused.errors;
        EXPECT_FALSE(refused.errors.empty());
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "missing"));
}

}  // namespace
