// Text metrics: font names resolve through fontconfig to the installed face
// with Helvetica's metrics, and sizes agree with an independent measurement
// through cairo's own text functions.
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/text/TextMetrics.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using namespace uikit;

// What fontconfig itself matches for a pattern such as "Helvetica:bold".
std::string fontconfigFamily(const char* pattern, std::string* style = nullptr) {
    FcPattern* wanted = FcNameParse(reinterpret_cast<const FcChar8*>(pattern));
    FcConfigSubstitute(nullptr, wanted, FcMatchPattern);
    FcDefaultSubstitute(wanted);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, wanted, &result);
    std::string family;
    FcChar8* value = nullptr;
    if (match && FcPatternGetString(match, FC_FAMILY, 0, &value) == FcResultMatch)
        family = reinterpret_cast<char*>(value);
    if (style && match && FcPatternGetString(match, FC_STYLE, 0, &value) == FcResultMatch)
        *style = reinterpret_cast<char*>(value);
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(wanted);
    return family;
}

// The advance and the line height of `text` through cairo's toy text API in
// the family fontconfig matched: a measurement that shares no code with pango.
struct CairoMeasure {
    double advance;
    double lineHeight;
};
CairoMeasure measureWithCairo(const std::string& family, bool bold, double size, const std::string& text) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    cairo_t* cr = cairo_create(surface);
    cairo_select_font_face(cr, family.c_str(), CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return {extents.x_advance, font.ascent + font.descent};
}

TEST(TextMetricsTest, HelveticaNamesResolveToTheFaceFontconfigGivesHelvetica) {
    std::string family = fontconfigFamily("Helvetica");
    ASSERT_FALSE(family.empty());
    for (const char* name : {"Helvetica", "HelveticaNeue-Light", "Helvetica Light", ".SFUIText", "HelveticaNeue"}) {
        auto font = UIFont::fontWithName(name, 17);
        EXPECT_TRUE(text::resolvedFaceName(*font).starts_with(family))
            << name << " -> " << text::resolvedFaceName(*font);
    }
    std::string boldStyle;
    fontconfigFamily("Helvetica:bold", &boldStyle);
    EXPECT_NE(text::resolvedFaceName(*UIFont::fontWithName("HelveticaNeue-Bold", 17)).find(boldStyle),
              std::string::npos)
        << "a weight after the hyphen picks the face of that weight";
}

TEST(TextMetricsTest, SizesAgreeWithCairosOwnMeasurement) {
    std::string family = fontconfigFamily("Helvetica");
    struct Case {
        const char* fontName;
        bool bold;
        double size;
        std::string text;
    };
    for (const Case& c : {Case{"HelveticaNeue-Light", false, 36, "Snapfold"},
                          Case{"HelveticaNeue-Light", false, 17, "An Awesome Cydia Substrate Tweak!"},
                          Case{"Helvetica Light", false, 15, "Zarvelle Veltrona"},
                          Case{"Helvetica-Bold", true, 20, "Foldshot $0.99"}}) {
        auto font = UIFont::fontWithName(c.fontName, c.size);
        CairoMeasure expected = measureWithCairo(family, c.bold, c.size, c.text);
        CGSize measured = text::measureText(*font, c.text);
        // Pango applies kerning, cairo's toy API does not: a point or two over a line.
        EXPECT_NEAR(measured.width, expected.advance, 0.02 * expected.advance + 1) << c.text;
        EXPECT_NEAR(font->lineHeight(), expected.lineHeight, 1.0) << c.fontName;
        CGSize line = font->sizeOfLine(c.text);
        EXPECT_EQ(line.width, std::ceil(measured.width)) << "a label's size is rounded up to whole points";
        EXPECT_EQ(line.height, std::ceil(font->lineHeight()));
    }
}

TEST(TextMetricsTest, WrappedTextGrowsByWholeLinesAndStopsAtTheLineLimit) {
    auto font = UIFont::fontWithName(".SFUIText", 13);
    std::string footer =
        "Save pictures from WhatsApp into their own album. Switched off, they go to the Camera Roll as before.";
    CGSize oneLine = font->sizeOfLine(footer);
    CGSize wrapped = font->sizeOfWrappedText(footer, 200, 0);
    EXPECT_LE(wrapped.width, 200);
    double lines = std::round(wrapped.height / font->lineHeight());
    EXPECT_GE(lines, std::ceil(oneLine.width / 200));
    EXPECT_NEAR(wrapped.height, std::ceil(lines * font->lineHeight()), 1.0);
    CGSize twoLines = font->sizeOfWrappedText(footer, 200, 2);
    EXPECT_NEAR(twoLines.height, std::ceil(2 * font->lineHeight()), 1.0);

    // A label of several lines wraps at its preferred width; of one line it does not.
    auto label = UILabel::create();
    label->setFont(font);
    label->setText(footer);
    label->setPreferredMaxLayoutWidth(200);
    EXPECT_EQ(label->intrinsicContentSize(), oneLine);
    label->setNumberOfLines(0);
    EXPECT_EQ(label->intrinsicContentSize(), wrapped);
}

TEST(TextMetricsTest, EmptyTextHasNoSizeButTheFontKeepsItsLineHeight) {
    auto font = UIFont::fontWithName("Helvetica", 17);
    EXPECT_EQ(font->sizeOfLine(""), (CGSize{0, 0}));
    EXPECT_GT(font->lineHeight(), 17) << "ascender to descender exceeds the point size";
    EXPECT_LT(font->lineHeight(), 17 * 1.3);
    EXPECT_EQ(UILabel::create()->intrinsicContentSize(), (CGSize{0, 0}));
}

}  // namespace
