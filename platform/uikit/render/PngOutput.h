// Pictures out as PNG: cairo draws them, the project's PNG encoder writes
// them (the encoder the image benchmarks chose; on a page picture it takes
// less than half the time of cairo's own writer, whose zlib runs at its
// default level). An opaque picture is written as RGB, any other as RGBA.
#pragma once

#include "platform/foundation/ErrorOr.h"

#include <cairo.h>

#include <cstdint>
#include <filesystem>
#include <vector>

namespace uikit::render {

// The surface as PNG bytes.
foundation::ErrorOr<std::vector<std::uint8_t>> encodePng(cairo_surface_t* surface);

// Writes the surface to `file` (a host path). The file is written under a
// temporary name and renamed into place, so a failed write leaves no
// partial picture where an earlier one stood.
foundation::ErrorOr<void> writePng(cairo_surface_t* surface, const std::filesystem::path& file);

}  // namespace uikit::render
