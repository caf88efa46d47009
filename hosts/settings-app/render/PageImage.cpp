#include "hosts/settings-app/render/PageImage.h"

#include "platform/uikit/render/PngOutput.h"
#include "platform/uikit/render/ViewRenderer.h"

namespace settingsapp {

uikit::render::SurfacePtr renderPageScreen(const PageScreen& screen, double scale) {
    if (!screen.root) return nullptr;
    return uikit::render::renderViewTree(*screen.root, scale, screen.root->backgroundColor());
}

foundation::ErrorOr<void> writePageImage(const PageScreen& screen, double scale, const std::filesystem::path& file) {
    auto surface = renderPageScreen(screen, scale);
    if (!surface)
        return foundation::makeError(foundation::ErrorCode::InvalidArgument,
                                     "the page could not be drawn at that size");
    return uikit::render::writePng(surface.get(), file);
}

}  // namespace settingsapp
