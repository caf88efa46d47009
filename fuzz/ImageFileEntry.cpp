// Image files, as `imageWithContentsOfFile:` decodes them, with the quick
// look (inspectImage) that must answer exactly what the decoder would, and
// the property dictionary of the same data.
#include "fuzz/FuzzEntries.h"

#include "platform/imageio/CGImageSource.h"
#include "platform/imageio/ImageCodecs.h"

#include <cstring>
#include <vector>

#include <zlib.h>

namespace fuzz {

namespace {

// A PNG's chunks carry checksums, which random changes almost never keep
// right, so most mutated PNGs would stop at the first chunk. The same bytes
// with every checksum recomputed are a second, equally real file that reaches
// the reader's deeper steps. Nothing when the data is no PNG or already
// consistent.
std::optional<std::vector<std::uint8_t>> withPngChecksumsRepaired(Input bytes) {
    static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() < sizeof kSignature || std::memcmp(bytes.data(), kSignature, sizeof kSignature) != 0)
        return std::nullopt;
    std::vector<std::uint8_t> repaired(bytes.begin(), bytes.end());
    bool changed = false;
    for (std::size_t at = sizeof kSignature; repaired.size() - at >= 12;) {
        std::uint8_t* chunk = repaired.data() + at;
        std::size_t length = std::size_t{chunk[0]} << 24 | std::size_t{chunk[1]} << 16 | std::size_t{chunk[2]} << 8 |
                             chunk[3];
        if (length > repaired.size() - at - 12) break;
        uLong crc = ::crc32(::crc32(0, nullptr, 0), chunk + 4, static_cast<uInt>(length + 4));
        std::uint8_t* stored = chunk + 8 + length;
        std::uint8_t expected[4] = {static_cast<std::uint8_t>(crc >> 24), static_cast<std::uint8_t>(crc >> 16),
                                    static_cast<std::uint8_t>(crc >> 8), static_cast<std::uint8_t>(crc)};
        if (std::memcmp(stored, expected, 4) != 0) {
            std::memcpy(stored, expected, 4);
            changed = true;
        }
        at += length + 12;
    }
    if (!changed) return std::nullopt;
    return repaired;
}

Finding checkImage(Input bytes) {
    std::optional<imageio::DecodedImage> decoded = imageio::decodeImage(bytes);
    std::optional<imageio::ImageSummary> summary = imageio::inspectImage(bytes);

    // 1. The quick look and the decoder agree on every input.
    if (decoded.has_value() != summary.has_value())
        return decoded ? "inspectImage refused an image that decodeImage decodes"
                       : "inspectImage accepted data that decodeImage refuses";
    if (!decoded) return std::nullopt;
    if (decoded->format != summary->format) return "inspectImage and decodeImage name different formats";
    if (decoded->exifOrientation != summary->exifOrientation)
        return "inspectImage and decodeImage read different orientations";

    // 2. The bitmap is whole: a size, and exactly its rows of pixels.
    const imageio::CGImage& image = *decoded->image;
    if (image.width == 0 || image.height == 0) return "a decoded image without pixels";
    if (image.pixels.size() != image.rowBytes() * image.height) return "a bitmap whose pixels do not fill its rows";
    if (decoded->exifOrientation < 1 || decoded->exifOrientation > 8) return "an orientation outside 1 to 8";

    // 3. The property dictionary describes the image the decoder made.
    auto data = std::make_shared<const foundation::NSData>(bytes.begin(), bytes.end());
    auto source = imageio::CGImageSourceCreateWithData(data, nullptr);
    auto properties = imageio::CGImageSourceCopyPropertiesAtIndex(source, 0, nullptr);
    if (!properties) return "a decodable image without properties";
    const foundation::PlistValue dictionary(std::move(*properties));
    const foundation::PlistValue* width = dictionary.objectForKey(imageio::kCGImagePropertyPixelWidth);
    const foundation::PlistValue* height = dictionary.objectForKey(imageio::kCGImagePropertyPixelHeight);
    if (!width || !height || width->integer() != std::int64_t{image.width} ||
        height->integer() != std::int64_t{image.height})
        return "the properties give another pixel size than the decoded image's";
    return std::nullopt;
}

}  // namespace

Finding feedImageFile(Input bytes) {
    if (Finding finding = checkImage(bytes)) return finding;
    if (auto repaired = withPngChecksumsRepaired(bytes)) {
        if (Finding finding = checkImage(*repaired)) return "with its checksums repaired: " + *finding;
    }
    return std::nullopt;
}

}  // namespace fuzz
