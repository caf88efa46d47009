#include "platform/uikit/text/TextMetrics.h"

#include "platform/uikit/UIFont.h"
#include "platform/uikit/pango/TextEngine.h"

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace uikit::text {

namespace {

// The text engine library, loaded once, on the first text measured. It lies
// beside this library, wherever the build or the device put both. Nothing
// when it cannot be loaded: text then measures as empty, and the program
// says why once, instead of failing to start for want of a font library.
const TextEngine* textEngine() {
    static const TextEngine* const engine = []() -> const TextEngine* {
        std::filesystem::path path = SNAPFOLD_TEXT_ENGINE_FILE;
        Dl_info self{};
        if (dladdr(reinterpret_cast<void*>(&textEngine), &self) && self.dli_fname)
            path = std::filesystem::path(self.dli_fname).parent_path() / SNAPFOLD_TEXT_ENGINE_FILE;
        void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        auto* entry = library ? reinterpret_cast<TextEngineEntry*>(dlsym(library, kTextEngineEntry)) : nullptr;
        if (!entry) {
            std::fprintf(stderr, "uikit: text cannot be measured: %s\n", dlerror());
            return nullptr;
        }
        return entry();
    }();
    return engine;
}

}  // namespace

CGSize measureText(const UIFont& font, std::string_view text, double wrapWidth, long maximumLines) {
    const TextEngine* engine = textEngine();
    if (!engine) return {0, 0};
    TextExtent extent = engine->measureText(font.fontName(), font.pointSize(), text, wrapWidth, maximumLines);
    return {extent.width, extent.height};
}

double lineHeightOf(const UIFont& font) { return measureText(font, "", 0, 1).height; }

std::string resolvedFaceName(const UIFont& font) {
    const TextEngine* engine = textEngine();
    return engine ? engine->resolvedFaceName(font.fontName(), font.pointSize()) : "(no face)";
}

}  // namespace uikit::text
