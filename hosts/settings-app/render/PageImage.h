// A page screen as a picture: drawn by the view renderer at a number of
// pixels a point, on the table's background, and written as PNG.
#pragma once

#include "hosts/settings-app/render/PageScreen.h"
#include "platform/foundation/ErrorOr.h"
#include "platform/uikit/render/CairoHandles.h"

#include <filesystem>

namespace settingsapp {

uikit::render::SurfacePtr renderPageScreen(const PageScreen& screen, double scale);
foundation::ErrorOr<void> writePageImage(const PageScreen& screen, double scale, const std::filesystem::path& file);

}  // namespace settingsapp
