// Drawing view trees: backgrounds and positions, visibility and alpha,
// clipping, text, template images in the inherited tint, switches and the
// disclosure indicator; and PNG output.
#include "platform/uikit/UIImageRenderingMode.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UISwitch.h"
#include "platform/uikit/UITableViewCell.h"
#include "platform/uikit/layout/ConstraintLayout.h"
#include "platform/uikit/render/PngOutput.h"
#include "platform/uikit/render/ViewRenderer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace {

using namespace uikit;
using render::SurfacePtr;

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.r << " " << c.g << " " << c.b << ")";
}

// The pixel at (x, y) in points, on a surface drawn at `scale` over an opaque background.
Rgb pixelAt(cairo_surface_t* surface, double x, double y, double scale) {
    cairo_surface_flush(surface);
    int px = static_cast<int>(x * scale), py = static_cast<int>(y * scale);
    auto* row = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface) +
                                                       py * cairo_image_surface_get_stride(surface));
    std::uint32_t p = row[px];
    return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF)};
}

Rgb rgbOf(const UIColor& color) {
    return {static_cast<int>(std::lround(color.red() * 255)), static_cast<int>(std::lround(color.green() * 255)),
            static_cast<int>(std::lround(color.blue() * 255))};
}

bool near(Rgb a, Rgb b, int tolerance = 2) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

// Counts the pixels of a region (points) within `tolerance` of `color`.
int countColor(cairo_surface_t* surface, CGRect region, double scale, Rgb color, int tolerance = 40) {
    int count = 0;
    for (double y = region.minY(); y < region.maxY(); y += 1 / scale)
        for (double x = region.minX(); x < region.maxX(); x += 1 / scale)
            if (near(pixelAt(surface, x, y, scale), color, tolerance)) ++count;
    return count;
}

std::shared_ptr<UIView> coloured(CGRect frame, UIColorRef color) {
    auto view = UIView::create(frame);
    view->setBackgroundColor(std::move(color));
    return view;
}

TEST(ViewRendererTest, BackgroundsAreDrawnAtTheirFramesInsideTheirSuperviews) {
    auto root = coloured(CGRectMake(0, 0, 100, 60), UIColor::whiteColor());
    auto outer = coloured(CGRectMake(10, 10, 50, 40), UIColor::colorWithRed(1, 0, 0, 1));
    auto inner = coloured(CGRectMake(5, 5, 10, 10), UIColor::colorWithRed(0, 0, 1, 1));
    outer->addSubview(inner);
    root->addSubview(outer);
    root->setFrame(CGRectMake(300, 300, 100, 60));  // the root's own origin is not applied
    for (double scale : {1.0, 2.0}) {
        SurfacePtr surface = render::renderViewTree(*root, scale);
        ASSERT_TRUE(surface);
        EXPECT_EQ(cairo_image_surface_get_width(surface.get()), 100 * scale);
        EXPECT_EQ(cairo_image_surface_get_height(surface.get()), 60 * scale);
        EXPECT_EQ(pixelAt(surface.get(), 5, 5, scale), (Rgb{255, 255, 255}));
        EXPECT_EQ(pixelAt(surface.get(), 12, 12, scale), (Rgb{255, 0, 0}));
        EXPECT_EQ(pixelAt(surface.get(), 17, 17, scale), (Rgb{0, 0, 255})) << "inside the inner view, at 10 + 5 + 2";
        EXPECT_EQ(pixelAt(surface.get(), 70, 30, scale), (Rgb{255, 255, 255}));
    }
}

TEST(ViewRendererTest, HiddenViewsAndAlphaZeroDrawNothingAndAlphaBlends) {
    auto root = coloured(CGRectMake(0, 0, 90, 30), UIColor::whiteColor());
    auto hidden = coloured(CGRectMake(0, 0, 30, 30), UIColor::blackColor());
    hidden->setHidden(true);
    auto invisible = coloured(CGRectMake(30, 0, 30, 30), UIColor::blackColor());
    invisible->setAlpha(0);
    auto half = coloured(CGRectMake(60, 0, 30, 30), UIColor::blackColor());
    half->setAlpha(0.5);
    for (const auto& view : {hidden, invisible, half}) root->addSubview(view);
    SurfacePtr surface = render::renderViewTree(*root, 1);
    EXPECT_EQ(pixelAt(surface.get(), 15, 15, 1), (Rgb{255, 255, 255}));
    EXPECT_EQ(pixelAt(surface.get(), 45, 15, 1), (Rgb{255, 255, 255}));
    EXPECT_TRUE(near(pixelAt(surface.get(), 75, 15, 1), Rgb{128, 128, 128}, 2)) << pixelAt(surface.get(), 75, 15, 1);
}

TEST(ViewRendererTest, ClippingKeepsSubviewsInsideTheirSuperview) {
    auto root = coloured(CGRectMake(0, 0, 60, 30), UIColor::whiteColor());
    for (bool clips : {false, true}) {
        auto box = UIView::create(CGRectMake(0, 0, 20, 20));
        box->setClipsToBounds(clips);
        box->addSubview(coloured(CGRectMake(10, 10, 30, 15), UIColor::blackColor()));
        root->addSubview(box);
        SurfacePtr surface = render::renderViewTree(*root, 1);
        EXPECT_EQ(pixelAt(surface.get(), 30, 15, 1), clips ? (Rgb{255, 255, 255}) : (Rgb{0, 0, 0}));
        EXPECT_EQ(pixelAt(surface.get(), 15, 15, 1), (Rgb{0, 0, 0}));
        box->removeFromSuperview();
    }
}

TEST(ViewRendererTest, LabelTextIsDrawnInItsColourWithinItsFrame) {
    auto root = coloured(CGRectMake(0, 0, 300, 100), UIColor::whiteColor());
    auto label = UILabel::create();
    label->setText("Snapfold");
    label->setFont(UIFont::fontWithName("HelveticaNeue-Light", 36));
    label->setTextColor(UIColor::colorWithRed(0, 0.5, 0, 1));
    label->setTextAlignment(NSTextAlignmentCenter);
    root->addSubview(label);
    label->setTranslatesAutoresizingMaskIntoConstraints(false);
    root->addConstraint(NSLayoutConstraint::constraintWithItem(
        label.get(), NSLayoutAttributeCenterX, NSLayoutRelationEqual, root.get(), NSLayoutAttributeCenterX, 1, 0));
    root->addConstraint(NSLayoutConstraint::constraintWithItem(label.get(), NSLayoutAttributeTop, NSLayoutRelationEqual,
                                                               root.get(), NSLayoutAttributeTop, 1, 20));
    ASSERT_TRUE(layoutViewTree(*root).ok());
    SurfacePtr surface = render::renderViewTree(*root, 2);
    CGRect frame = label->frame();
    Rgb green{0, 128, 0};
    EXPECT_GT(countColor(surface.get(), frame, 2, green), 200) << "the glyphs fill part of the label";
    int outside = countColor(surface.get(), CGRectMake(0, 0, 300, frame.minY()), 2, green) +
                  countColor(surface.get(), CGRectMake(0, frame.maxY(), 300, 100 - frame.maxY()), 2, green) +
                  countColor(surface.get(), CGRectMake(0, 0, frame.minX(), 100), 2, green) +
                  countColor(surface.get(), CGRectMake(frame.maxX(), 0, 300 - frame.maxX(), 100), 2, green);
    EXPECT_EQ(outside, 0) << "the text stays inside the frame its metrics gave the label";
}

TEST(ViewRendererTest, TemplateImagesTakeTheInheritedTintAndOthersTheirOwnPixels) {
    auto bitmap = std::make_shared<imageio::CGImage>();
    bitmap->width = bitmap->height = 4;
    bitmap->format = imageio::PixelFormat::RGBA8;
    bitmap->pixels.assign(4 * 4 * 4, 0);
    for (std::size_t i = 0; i < 16; ++i) {  // opaque red
        bitmap->pixels[i * 4] = 255;
        bitmap->pixels[i * 4 + 3] = 255;
    }
    auto image = UIImage::imageWithCGImage(bitmap, 1, UIImageOrientationUp);
    auto root = coloured(CGRectMake(0, 0, 60, 20), UIColor::whiteColor());
    auto bar = UIView::create(CGRectMake(0, 0, 60, 20));
    bar->setTintColor(UIColor::colorWithRed(0, 0, 1, 1));
    auto tinted = UIImageView::create(imageWithRenderingMode(image, UIImageRenderingModeAlwaysTemplate));
    tinted->setFrame(CGRectMake(0, 0, 20, 20));
    auto original = UIImageView::create(image);
    original->setFrame(CGRectMake(20, 0, 20, 20));
    auto untinted = UIImageView::create(imageWithRenderingMode(image, UIImageRenderingModeAlwaysTemplate));
    untinted->setFrame(CGRectMake(40, 0, 20, 20));
    bar->addSubview(tinted);
    bar->addSubview(original);
    root->addSubview(bar);
    root->addSubview(untinted);
    SurfacePtr surface = render::renderViewTree(*root, 1);
    EXPECT_EQ(pixelAt(surface.get(), 10, 10, 1), (Rgb{0, 0, 255})) << "the bar's tint reaches its subviews";
    EXPECT_EQ(pixelAt(surface.get(), 30, 10, 1), (Rgb{255, 0, 0}));
    EXPECT_EQ(pixelAt(surface.get(), 50, 10, 1), rgbOf(*render::defaultTintColor()))
        << "no tint set anywhere: the default";
}

TEST(ViewRendererTest, SwitchesShowTheirStateAndCellsTheirDisclosureIndicator) {
    auto root = coloured(CGRectMake(0, 0, 200, 44), UIColor::whiteColor());
    auto on = UISwitch::create(CGRectMake(10, 6, 51, 31));
    on->setOn(true);
    on->setOnTintColor(UIColor::colorWithRed(0.165, 0.608, 0.557, 1));
    auto off = UISwitch::create(CGRectMake(70, 6, 51, 31));
    root->addSubview(on);
    root->addSubview(off);
    SurfacePtr surface = render::renderViewTree(*root, 2);
    EXPECT_TRUE(near(pixelAt(surface.get(), 10 + 10, 6 + 15, 2), rgbOf(*on->onTintColor())))
        << "the track left of the knob shows the on-tint colour";
    EXPECT_EQ(countColor(surface.get(), off->frame(), 2, rgbOf(*on->onTintColor()), 10), 0);

    auto cell = UITableViewCell::create(UITableViewCellStyleDefault, "cell");
    cell->setFrame(CGRectMake(0, 0, 200, 44));
    cell->setBackgroundColor(UIColor::whiteColor());
    SurfacePtr plain = render::renderViewTree(*cell, 2);
    cell->setAccessoryType(UITableViewCellAccessoryDisclosureIndicator);
    SurfacePtr disclosed = render::renderViewTree(*cell, 2);
    CGRect indicator = CGRectMake(200 - 15 - 8, 14, 8, 16);
    Rgb chevron{199, 199, 204};
    EXPECT_EQ(countColor(plain.get(), indicator, 2, chevron, 20), 0);
    EXPECT_GT(countColor(disclosed.get(), indicator, 2, chevron, 20), 10);
}

TEST(ViewRendererTest, PngFilesAreWrittenWholeOrNotAtAll) {
    auto root = coloured(CGRectMake(0, 0, 10, 10), UIColor::blackColor());
    SurfacePtr surface = render::renderViewTree(*root, 1);
    auto bytes = render::encodePng(surface.get());
    ASSERT_TRUE(bytes.ok());
    ASSERT_GT(bytes.value().size(), 8u);
    EXPECT_EQ(std::string(bytes.value().begin(), bytes.value().begin() + 4), "\x89PNG");

    auto folder = std::filesystem::temp_directory_path() / ("snapfold-render-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    auto file = folder / "picture.png";
    ASSERT_TRUE(render::writePng(surface.get(), file).ok());
    EXPECT_EQ(std::filesystem::file_size(file), bytes.value().size());
    auto missing = render::writePng(surface.get(), folder / "no such folder" / "picture.png");
    EXPECT_FALSE(missing.ok());
    EXPECT_NE(missing.error().message.find("no such folder"), std::string::npos) << missing.error().message;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1)
        << "a failed write leaves nothing behind";
    EXPECT_FALSE(render::writePng(nullptr, file).ok());
    std::filesystem::remove_all(folder);
}

}  // namespace
