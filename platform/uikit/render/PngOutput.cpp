#include "platform/uikit/render/PngOutput.h"

#include "platform/foundation/PropertyList.h"
#include "platform/imageio/ImageCodecs.h"
#include "platform/uikit/render/ImageSurface.h"

#include <string>
#include <string_view>

namespace uikit::render {

foundation::ErrorOr<std::vector<std::uint8_t>> encodePng(cairo_surface_t* surface) {
    using foundation::ErrorCode;
    if (!surface || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
        return foundation::makeError(ErrorCode::InvalidArgument, "no picture to encode");
    imageio::CGImageRef bitmap = bitmapFromSurface(surface);
    if (!bitmap) return foundation::makeError(ErrorCode::InvalidArgument, "the picture has no pixels to encode");
    foundation::NSDataRef png = imageio::encodePNG(*bitmap);
    if (!png) return foundation::makeError(ErrorCode::InvalidArgument, "the picture could not be encoded");
    return std::vector<std::uint8_t>(png->begin(), png->end());
}

foundation::ErrorOr<void> writePng(cairo_surface_t* surface, const std::filesystem::path& file) {
    auto bytes = TRY(encodePng(surface));
    // A failure keeps its cause (a full disk, a refused folder).
    return foundation::writeFileAtomically(file,
                                           std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace uikit::render
