// Draws the settings bundle's images: the title logo (a template: black with
// the shape in its alpha), the footer logo and the Settings entry's icon (the
// same glyph in white on the product's green). The glyph is a photo with a
// folded corner: a frame, a hill and a sun, drawn with 4x4 supersampling.
//
// usage: snapfold-logo-generator OUTPUT-FOLDER
#include <png.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Rgba {
    double r, g, b, a;
};

// Inside-tests in the unit square, y downwards.
bool insideRoundedRect(double x, double y, double left, double top, double right, double bottom, double radius) {
    if (x < left || x > right || y < top || y > bottom) return false;
    double cx = std::fmin(std::fmax(x, left + radius), right - radius);
    double cy = std::fmin(std::fmax(y, top + radius), bottom - radius);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
}

bool glyph(double x, double y) {
    const double left = 0.12, top = 0.18, right = 0.88, bottom = 0.82, fold = 0.2;
    // The folded corner: above the diagonal of the corner square the
    // picture is cut away; below it the folded flap is drawn solid.
    double dx = x - (right - fold), dy = y - top;
    if (dx > 0 && dy >= 0 && dy < fold) return dx <= dy && x <= right;
    bool outer = insideRoundedRect(x, y, left, top, right, bottom, 0.06);
    bool inner = insideRoundedRect(x, y, left + 0.07, top + 0.07, right - 0.07, bottom - 0.07, 0.02);
    if (outer && !inner) return true;
    // The hill and the sun inside the frame.
    bool hill = inner && y > 0.78 - 0.45 * (1 - std::fabs(x - 0.42) / 0.3) && y > 0.5;
    bool sun = (x - 0.64) * (x - 0.64) + (y - 0.4) * (y - 0.4) < 0.07 * 0.07;
    return hill || sun;
}

double coverage(int px, int py, int size) {
    int hits = 0;
    for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx)
            if (glyph((px + (sx + 0.5) / 4) / size, (py + (sy + 0.5) / 4) / size)) ++hits;
    return hits / 16.0;
}

bool writePng(const std::string& file, int size, const std::vector<std::uint8_t>& rgba) {
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (!out) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(out);
        return false;
    }
    png_init_io(png, out);
    png_set_IHDR(png, info, size, size, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < size; ++y) png_write_row(png, rgba.data() + static_cast<std::size_t>(y) * size * 4);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(out) == 0;
}

std::uint8_t byte(double value) {
    return static_cast<std::uint8_t>(std::lround(std::fmin(std::fmax(value, 0.0), 1.0) * 255));
}

// The template: only the alpha carries the shape.
std::vector<std::uint8_t> templateImage(int size) {
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            pixels.insert(pixels.end(), {0, 0, 0, byte(coverage(x, y, size))});
        }
    return pixels;
}

// The glyph in white on a green rounded square.
std::vector<std::uint8_t> badgeImage(int size) {
    const Rgba green{0.016, 0.369, 0.325, 1};
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            int inBadge = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx)
                    if (insideRoundedRect((x + (sx + 0.5) / 4) / size, (y + (sy + 0.5) / 4) / size, 0, 0, 1, 1, 0.22))
                        ++inBadge;
            double badge = inBadge / 16.0, mark = coverage(x, y, size);
            pixels.insert(pixels.end(), {byte(green.r + (1 - green.r) * mark), byte(green.g + (1 - green.g) * mark),
                                         byte(green.b + (1 - green.b) * mark), byte(badge)});
        }
    return pixels;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
        return 2;
    }
    std::string folder = argv[1];
    // Each image at its size in points and again at two and three pixels a
    // point, under the names a 2x or 3x screen looks for first.
    const char* const suffixes[] = {".png", "@2x.png", "@3x.png"};
    bool ok = true;
    for (int scale = 1; scale <= 3 && ok; ++scale) {
        std::string suffix = suffixes[scale - 1];
        ok = writePng(folder + "/headerLogo" + suffix, 30 * scale, templateImage(30 * scale)) &&
             writePng(folder + "/footerLogo" + suffix, 80 * scale, badgeImage(80 * scale)) &&
             writePng(folder + "/icon" + suffix, 29 * scale, badgeImage(29 * scale));
    }
    if (!ok) std::fprintf(stderr, "%s: cannot write the images into %s\n", argv[0], folder.c_str());
    return ok ? 0 : 1;
}
