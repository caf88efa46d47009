#include "platform/uikit/render/ImageSurface.h"

#include "platform/imageio/ImageOrientation.h"

#include <cstdint>
#include <cstring>

namespace uikit::render {

SurfacePtr surfaceForImage(const UIImage& image) {
    imageio::CGImageRef upright = imageio::drawnUpright(image.CGImage(), exifOrientationFor(image.imageOrientation()));
    if (!upright || upright->width == 0 || upright->height == 0) return nullptr;
    const imageio::CGImage& bitmap = *upright;
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(bitmap.width),
                                                  static_cast<int>(bitmap.height)));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    cairo_surface_flush(surface.get());
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    int stride = cairo_image_surface_get_stride(surface.get());
    unsigned channels = bitmap.channels();
    for (std::uint32_t y = 0; y < bitmap.height; ++y) {
        const std::uint8_t* in = bitmap.pixels.data() + y * bitmap.rowBytes();
        auto* out = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (std::uint32_t x = 0; x < bitmap.width; ++x, in += channels) {
            std::uint32_t r, g, b, a;
            switch (bitmap.format) {
            case imageio::PixelFormat::Gray8:
                r = g = b = in[0];
                a = 255;
                break;
            case imageio::PixelFormat::GrayAlpha8:
                r = g = b = in[0];
                a = in[1];
                break;
            case imageio::PixelFormat::RGB8:
                r = in[0];
                g = in[1];
                b = in[2];
                a = 255;
                break;
            case imageio::PixelFormat::RGBA8:
            default:
                r = in[0];
                g = in[1];
                b = in[2];
                a = in[3];
                break;
            }
            // Premultiplied, rounded to nearest.
            r = (r * a + 127) / 255;
            g = (g * a + 127) / 255;
            b = (b * a + 127) / 255;
            out[x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

imageio::CGImageRef bitmapFromSurface(cairo_surface_t* surface) {
    if (!surface || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return nullptr;
    cairo_surface_flush(surface);
    int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
    int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    if (!data || width <= 0 || height <= 0) return nullptr;
    auto row = [&](int y) {
        return reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    };
    bool opaque = cairo_image_surface_get_format(surface) == CAIRO_FORMAT_RGB24;
    if (!opaque) {
        opaque = true;
        for (int y = 0; y < height && opaque; ++y)
            for (int x = 0; x < width; ++x)
                if ((row(y)[x] >> 24) != 0xFF) {
                    opaque = false;
                    break;
                }
    }
    auto bitmap = std::make_shared<imageio::CGImage>();
    bitmap->width = static_cast<std::uint32_t>(width);
    bitmap->height = static_cast<std::uint32_t>(height);
    bitmap->format = opaque ? imageio::PixelFormat::RGB8 : imageio::PixelFormat::RGBA8;
    bitmap->pixels.resize(bitmap->rowBytes() * bitmap->height);
    std::uint8_t* out = bitmap->pixels.data();
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* in = row(y);
        for (int x = 0; x < width; ++x) {
            std::uint32_t pixel = in[x];
            std::uint32_t r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
            if (opaque) {
                *out++ = static_cast<std::uint8_t>(r);
                *out++ = static_cast<std::uint8_t>(g);
                *out++ = static_cast<std::uint8_t>(b);
                continue;
            }
            std::uint32_t a = pixel >> 24;
            auto straight = [a](std::uint32_t c) { return a == 0 ? 0u : (c * 255 + a / 2) / a; };
            *out++ = static_cast<std::uint8_t>(straight(r));
            *out++ = static_cast<std::uint8_t>(straight(g));
            *out++ = static_cast<std::uint8_t>(straight(b));
            *out++ = static_cast<std::uint8_t>(a);
        }
    }
    return bitmap;
}

UIImageRef imageFromSurface(cairo_surface_t* surface, double scale) {
    return UIImage::imageWithCGImage(bitmapFromSurface(surface), scale, UIImageOrientationUp);
}

}  // namespace uikit::render
