#include "platform/uikit/render/PngOutput.h"

#include "platform/imageio/ImageCodecs.h"
#include "platform/uikit/render/ImageSurface.h"

#include <unistd.h>

#include <fstream>
#include <string>

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
    using foundation::ErrorCode;
    auto bytes = encodePng(surface);
    if (!bytes) return bytes.error();
    std::filesystem::path temporary = file;
    temporary += ".tmp-" + std::to_string(::getpid());
    std::error_code ec;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.value().data()), static_cast<std::streamsize>(bytes.value().size()));
        if (!out.flush()) {
            out.close();
            std::filesystem::remove(temporary, ec);
            return foundation::makeError(ErrorCode::IOError, "cannot write " + file.string());
        }
    }
    std::filesystem::rename(temporary, file, ec);
    if (ec) {
        std::string reason = ec.message();
        std::filesystem::remove(temporary, ec);
        return foundation::makeError(ErrorCode::IOError, "cannot write " + file.string() + ": " + reason);
    }
    return {};
}

}  // namespace uikit::render
