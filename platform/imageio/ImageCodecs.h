// Decoding and encoding of the image formats the system meets: JPEG (with its
// EXIF orientation), PNG, GIF (first frame), WebP, BMP, TIFF (with its
// orientation tag) and ICO (its largest picture) in, PNG out.
#pragma once

#include "platform/foundation/NSData.h"
#include "platform/imageio/CGImage.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace imageio {

enum class ImageFormat { JPEG, PNG, GIF, WebP, BMP, TIFF, ICO };

// The format the data's signature names, or nothing for anything else.
std::optional<ImageFormat> sniffImageFormat(std::span<const std::uint8_t> bytes);
// "PNG", "JPG", "GIF", "WEBP", "BMP", "TIFF", "ICO": the extension the photo library gives the format.
const char* fileExtension(ImageFormat format);

struct DecodedImage {
    CGImageRef image;
    ImageFormat format = ImageFormat::PNG;
    // The EXIF orientation tag (1 to 8) of a JPEG, or a TIFF's Orientation
    // tag (the same values); 1 when the data carries none.
    int exifOrientation = 1;
};

// Decodes a whole image; nothing for data that is not a complete image of a
// known format (text, a video, a truncated or corrupt file).
std::optional<DecodedImage> decodeImage(std::span<const std::uint8_t> bytes);
std::optional<DecodedImage> decodeImageFile(const std::filesystem::path& hostFile);

struct ImageSummary {
    ImageFormat format = ImageFormat::PNG;
    int exifOrientation = 1;  // as DecodedImage's
};

// What decodeImage would say of the data, without keeping its pixels: nothing
// exactly when decodeImage answers nothing. Plain PNGs are checked without
// being defiltered, which makes this several times faster for them.
std::optional<ImageSummary> inspectImage(std::span<const std::uint8_t> bytes);
// The same; a PNG that encodePNG returned is known whole without a look.
std::optional<ImageSummary> inspectImage(const foundation::NSDataRef& data);

// A decoded image scaled down (never up) so its longer side is at most
// `maximumSide` pixels; the same image when it already fits.
CGImageRef scaledToFit(const CGImageRef& image, std::uint32_t maximumSide);

// A standard PNG of the bitmap, written for speed and no larger than what a
// default-settings encoder produces, with settings chosen for the kind of
// picture (photo, drawn, grain). Nothing for an empty bitmap.
foundation::NSDataRef encodePNG(const CGImage& image);

}  // namespace imageio
