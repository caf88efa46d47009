// The first frame of a GIF through giflib, drawn onto the logical screen the
// file declares. giflib reports errors by return value, so no jump is needed.
#include "platform/imageio/Decoders.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include <gif_lib.h>

namespace imageio::detail {

namespace {

struct MemoryReader {
    std::span<const std::uint8_t> bytes;
    std::size_t offset = 0;
};

int readFromMemory(GifFileType* gif, GifByteType* destination, int length) {
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(std::max(length, 0)),
                                              reader->bytes.size() - reader->offset);
    std::memcpy(destination, reader->bytes.data() + reader->offset, count);
    reader->offset += count;
    return static_cast<int>(count);
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

// Skips extension blocks up to the first image descriptor, keeping the
// transparent colour index of the graphic control block that governs it.
bool seekFirstImage(GifFileType* gif, int& transparentIndex) {
    while (true) {
        GifRecordType record;
        if (DGifGetRecordType(gif, &record) == GIF_ERROR) return false;
        if (record == IMAGE_DESC_RECORD_TYPE) return DGifGetImageDesc(gif) != GIF_ERROR;
        if (record == TERMINATE_RECORD_TYPE) return false;
        if (record != EXTENSION_RECORD_TYPE) continue;
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
        if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
            GraphicsControlBlock control;
            if (DGifExtensionToGCB(block[0], block + 1, &control) != GIF_ERROR)
                transparentIndex = control.TransparentColor;
        }
        while (block) {
            if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
        }
    }
}

// The row each successive line of an interlaced frame belongs to: four
// passes starting at rows 0, 4, 2 and 1, stepping 8, 8, 4 and 2.
std::vector<int> interlacedRowOrder(int height) {
    std::vector<int> order;
    order.reserve(static_cast<std::size_t>(height));
    constexpr int kStart[] = {0, 4, 2, 1};
    constexpr int kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int row = kStart[pass]; row < height; row += kStep[pass]) order.push_back(row);
    return order;
}

}  // namespace

std::optional<CGImage> decodeGif(std::span<const std::uint8_t> bytes) {
    MemoryReader reader{bytes, 0};
    int error = 0;
    GifHandle gif(DGifOpen(&reader, readFromMemory, &error));
    if (!gif) return std::nullopt;

    int transparentIndex = NO_TRANSPARENT_COLOR;
    if (!seekFirstImage(gif.get(), transparentIndex)) return std::nullopt;
    const GifImageDesc& frame = gif->Image;
    if (!acceptableDimensions(static_cast<std::uint64_t>(std::max(frame.Width, 0)),
                              static_cast<std::uint64_t>(std::max(frame.Height, 0))))
        return std::nullopt;
    const ColorMapObject* colors = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!colors || !colors->Colors) return std::nullopt;

    // Some writers leave the logical screen at 0x0; the frame then sets the size.
    std::int64_t canvasWidth = gif->SWidth > 0 ? gif->SWidth : std::int64_t{frame.Left} + frame.Width;
    std::int64_t canvasHeight = gif->SHeight > 0 ? gif->SHeight : std::int64_t{frame.Top} + frame.Height;
    if (!acceptableDimensions(static_cast<std::uint64_t>(canvasWidth), static_cast<std::uint64_t>(canvasHeight)))
        return std::nullopt;

    CGImage image;
    image.width = static_cast<std::uint32_t>(canvasWidth);
    image.height = static_cast<std::uint32_t>(canvasHeight);
    image.format = PixelFormat::RGBA8;
    image.pixels.assign(image.rowBytes() * image.height, 0);  // transparent where the frame does not draw

    std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
    std::vector<int> rows = frame.Interlace ? interlacedRowOrder(frame.Height) : std::vector<int>{};
    for (int i = 0; i < frame.Height; ++i) {
        if (DGifGetLine(gif.get(), line.data(), frame.Width) == GIF_ERROR) return std::nullopt;
        std::int64_t y = std::int64_t{frame.Top} + (frame.Interlace ? rows[static_cast<std::size_t>(i)] : i);
        if (y < 0 || y >= canvasHeight) continue;
        std::uint8_t* out = image.pixels.data() + static_cast<std::size_t>(y) * image.rowBytes();
        for (int column = 0; column < frame.Width; ++column) {
            std::int64_t x = std::int64_t{frame.Left} + column;
            int index = line[static_cast<std::size_t>(column)];
            if (x < 0 || x >= canvasWidth || index == transparentIndex) continue;
            std::uint8_t* pixel = out + static_cast<std::size_t>(x) * 4;
            // An index past the colour table is drawn black, as the format leaves it undefined.
            if (index < colors->ColorCount) {
                const GifColorType& color = colors->Colors[index];
                pixel[0] = color.Red;
                pixel[1] = color.Green;
                pixel[2] = color.Blue;
            }
            pixel[3] = 255;
        }
    }

    bool coversCanvas = frame.Left <= 0 && frame.Top <= 0 && std::int64_t{frame.Left} + frame.Width >= canvasWidth &&
                        std::int64_t{frame.Top} + frame.Height >= canvasHeight;
    if (coversCanvas && transparentIndex == NO_TRANSPARENT_COLOR) {
        // An opaque frame over the whole screen needs no alpha channel.
        std::size_t pixelCount = std::size_t{image.width} * image.height;
        for (std::size_t i = 0; i < pixelCount; ++i)
            std::memmove(image.pixels.data() + i * 3, image.pixels.data() + i * 4, 3);
        image.pixels.resize(pixelCount * 3);
        image.format = PixelFormat::RGB8;
    }
    return image;
}

}  // namespace imageio::detail
