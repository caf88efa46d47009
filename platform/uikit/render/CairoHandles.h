// Owning handles for cairo objects, so that every surface and context is
// destroyed exactly once, on every path.
#pragma once

#include <cairo.h>

#include <memory>

namespace uikit::render {

struct SurfaceDestroy {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDestroy>;

struct ContextDestroy {
    void operator()(cairo_t* context) const { cairo_destroy(context); }
};
using ContextPtr = std::unique_ptr<cairo_t, ContextDestroy>;

}  // namespace uikit::render
