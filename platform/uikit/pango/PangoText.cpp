#include "platform/uikit/pango/PangoText.h"

#include "platform/uikit/pango/TextEngine.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <string>
#include <unordered_map>

namespace uikit::text {

void GObjectUnref::operator()(void* object) const {
    if (object) g_object_unref(object);
}

namespace {

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && startsWithIgnoringCase(a, b);
}

struct StyleWord {
    std::string_view word;
    PangoWeight weight;
    PangoStyle style;
};

// The style words the platform's font names end with, longest first so that
// "UltraLight" is not read as "Light".
constexpr std::array kStyleWords{
    StyleWord{"UltraLightItalic", PANGO_WEIGHT_ULTRALIGHT, PANGO_STYLE_ITALIC},
    StyleWord{"UltraLight", PANGO_WEIGHT_ULTRALIGHT, PANGO_STYLE_NORMAL},
    StyleWord{"LightItalic", PANGO_WEIGHT_LIGHT, PANGO_STYLE_ITALIC},
    StyleWord{"BoldItalic", PANGO_WEIGHT_BOLD, PANGO_STYLE_ITALIC},
    StyleWord{"BoldOblique", PANGO_WEIGHT_BOLD, PANGO_STYLE_OBLIQUE},
    StyleWord{"Semibold", PANGO_WEIGHT_SEMIBOLD, PANGO_STYLE_NORMAL},
    StyleWord{"Medium", PANGO_WEIGHT_MEDIUM, PANGO_STYLE_NORMAL},
    StyleWord{"Oblique", PANGO_WEIGHT_NORMAL, PANGO_STYLE_OBLIQUE},
    StyleWord{"Italic", PANGO_WEIGHT_NORMAL, PANGO_STYLE_ITALIC},
    StyleWord{"Light", PANGO_WEIGHT_LIGHT, PANGO_STYLE_NORMAL},
    StyleWord{"Thin", PANGO_WEIGHT_THIN, PANGO_STYLE_NORMAL},
    StyleWord{"Bold", PANGO_WEIGHT_BOLD, PANGO_STYLE_NORMAL},
    StyleWord{"Regular", PANGO_WEIGHT_NORMAL, PANGO_STYLE_NORMAL},
    StyleWord{"Roman", PANGO_WEIGHT_NORMAL, PANGO_STYLE_NORMAL},
};

const StyleWord* styleWord(std::string_view word) {
    for (const auto& candidate : kStyleWords)
        if (equalsIgnoringCase(word, candidate.word)) return &candidate;
    return nullptr;
}

struct ThreadText {
    // The thread's own font map rather than pango's default: it is released
    // with the thread, and with it everything it asked fontconfig for.
    GObjectPtr<PangoFontMap> fontMap;
    GObjectPtr<PangoContext> context;
    std::unordered_map<std::string, TextExtent> measured;

    ThreadText() {
        fontMap.reset(pango_cairo_font_map_new());
        context.reset(pango_font_map_create_context(fontMap.get()));
        pango_cairo_context_set_resolution(context.get(), 72);
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        pango_cairo_context_set_font_options(context.get(), options);
        cairo_font_options_destroy(options);
        pango_context_set_language(context.get(), pango_language_from_string("en"));
        // At one unit a point, glyph positions rounded to whole units would
        // put up to half a point of error on every letter.
        pango_context_set_round_glyph_positions(context.get(), FALSE);
    }
};

ThreadText& threadText() {
    thread_local ThreadText text;
    return text;
}

constexpr double kUnitsPerPoint = PANGO_SCALE;

}  // namespace

FontDescriptionPtr fontDescriptionFor(std::string_view fontName, double pointSize) {
    std::string_view name = fontName;
    std::string_view family = name;
    const StyleWord* style = nullptr;
    if (auto hyphen = name.rfind('-'); hyphen != std::string_view::npos && hyphen > 0) {
        style = styleWord(name.substr(hyphen + 1));
        if (style) family = name.substr(0, hyphen);
    }
    if (!style) {
        if (auto space = name.rfind(' '); space != std::string_view::npos && space > 0) {
            style = styleWord(name.substr(space + 1));
            if (style) family = name.substr(0, space);
        }
    }
    // The platform's Helvetica faces and its system font all measure as
    // Helvetica; fontconfig answers with the installed face of the same metrics.
    std::string familyName(family);
    if (startsWithIgnoringCase(family, "Helvetica") || family.starts_with('.') || startsWithIgnoringCase(family, "SF"))
        familyName = "Helvetica";

    FontDescriptionPtr description(pango_font_description_new());
    pango_font_description_set_family(description.get(), familyName.c_str());
    pango_font_description_set_weight(description.get(), style ? style->weight : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(description.get(), style ? style->style : PANGO_STYLE_NORMAL);
    pango_font_description_set_absolute_size(description.get(), pointSize * kUnitsPerPoint);
    return description;
}

PangoContext* threadTextContext() { return threadText().context.get(); }

GObjectPtr<PangoLayout> makeTextLayout(PangoContext* context, std::string_view fontName, double pointSize,
                                       std::string_view text, double wrapWidth) {
    GObjectPtr<PangoLayout> layout(pango_layout_new(context));
    FontDescriptionPtr description = fontDescriptionFor(fontName, pointSize);
    pango_layout_set_font_description(layout.get(), description.get());
    pango_layout_set_text(layout.get(), text.data(), static_cast<int>(text.size()));
    if (wrapWidth > 0) {
        pango_layout_set_width(layout.get(), static_cast<int>(wrapWidth * kUnitsPerPoint));
        pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
    }
    return layout;
}

namespace {

TextExtent measureText(std::string_view fontName, double pointSize, std::string_view text, double wrapWidth,
                       long maximumLines) {
    ThreadText& thread = threadText();
    std::string key(fontName);
    key += '\x1f' + std::to_string(pointSize) + '\x1f' + std::to_string(wrapWidth) + '\x1f' +
           std::to_string(maximumLines) + '\x1f';
    key += text;
    if (auto found = thread.measured.find(key); found != thread.measured.end()) return found->second;

    auto layout = makeTextLayout(thread.context.get(), fontName, pointSize, text, wrapWidth);
    // Walk the lines that count: the width is the widest of them, the height
    // reaches the bottom of the last one.
    double width = 0, bottom = 0;
    long counted = 0;
    PangoLayoutIter* iter = pango_layout_get_iter(layout.get());
    do {
        PangoRectangle logical;
        pango_layout_iter_get_line_extents(iter, nullptr, &logical);
        width = std::max(width, logical.width / kUnitsPerPoint);
        bottom = std::max(bottom, (logical.y + logical.height) / kUnitsPerPoint);
        ++counted;
    } while ((maximumLines <= 0 || counted < maximumLines) && pango_layout_iter_next_line(iter));
    pango_layout_iter_free(iter);

    TextExtent size{text.empty() ? 0 : width, bottom};
    // A bounded cache: pages measure the same few texts again and again.
    if (thread.measured.size() >= 4096) thread.measured.clear();
    thread.measured.emplace(std::move(key), size);
    return size;
}

std::string resolvedFaceName(std::string_view fontName, double pointSize) {
    PangoContext* context = threadTextContext();
    FontDescriptionPtr description = fontDescriptionFor(fontName, pointSize);
    GObjectPtr<PangoFont> loaded(pango_context_load_font(context, description.get()));
    if (!loaded) return "(no face)";
    FontDescriptionPtr described(pango_font_describe(loaded.get()));
    std::string name = pango_font_description_get_family(described.get())
                           ? pango_font_description_get_family(described.get())
                           : "?";
    if (PangoFontFace* face = pango_font_get_face(loaded.get()))
        name += std::string(" ") + pango_font_face_get_face_name(face);
    return name;
}

}  // namespace

}  // namespace uikit::text

const uikit::text::TextEngine* snapfoldTextEngine() {
    static constexpr uikit::text::TextEngine kEngine{uikit::text::measureText, uikit::text::resolvedFaceName};
    return &kEngine;
}
