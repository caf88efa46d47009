// Draws the makers page's pictures: the developer's portrait (a head and
// shoulders on the product's green, light from the top) and the icon of the
// maker's other product (a folded photo corner and a shutter ring on orange),
// both with 4x4 supersampling, encoded by the platform's own PNG writer.
//
// usage: snapfold-maker-images BUNDLE-FOLDER
//   writes BUNDLE-FOLDER/veltrona.png and BUNDLE-FOLDER/otherTweaks/foldshot.png
#include "platform/foundation/PropertyList.h"
#include "platform/imageio/ImageCodecs.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

namespace {

struct Rgba {
    double r, g, b, a;
};

Rgba mix(Rgba under, Rgba over, double amount) {
    return {under.r + (over.r - under.r) * amount, under.g + (over.g - under.g) * amount,
            under.b + (over.b - under.b) * amount, under.a + (over.a - under.a) * amount};
}

double squared(double v) { return v * v; }

// A picture as a colour at each point of the unit square (y downwards),
// averaged over 16 samples per pixel.
imageio::CGImage draw(int size, const std::function<Rgba(double x, double y)>& colourAt) {
    imageio::CGImage image;
    image.width = image.height = static_cast<std::uint32_t>(size);
    image.format = imageio::PixelFormat::RGBA8;
    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px) {
            Rgba sum{0, 0, 0, 0};
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    Rgba c = colourAt((px + (sx + 0.5) / 4) / size, (py + (sy + 0.5) / 4) / size);
                    sum = {sum.r + c.r * c.a, sum.g + c.g * c.a, sum.b + c.b * c.a, sum.a + c.a};
                }
            auto byte = [](double v) {
                return static_cast<std::uint8_t>(std::lround(std::fmin(std::fmax(v, 0.0), 1.0) * 255));
            };
            double alpha = sum.a / 16;
            double unpremultiply = sum.a > 0 ? 1 / sum.a : 0;
            image.pixels.insert(image.pixels.end(), {byte(sum.r * unpremultiply), byte(sum.g * unpremultiply),
                                                     byte(sum.b * unpremultiply), byte(alpha)});
        }
    return image;
}

Rgba portrait(double x, double y) {
    const Rgba top{0.165, 0.608, 0.557, 1}, bottom{0.016, 0.369, 0.325, 1}, figure{0.95, 0.97, 0.96, 1};
    Rgba background = mix(top, bottom, y);
    bool head = squared(x - 0.5) + squared(y - 0.39) < squared(0.17);
    bool shoulders = squared((x - 0.5) / 0.36) + squared((y - 1.02) / 0.4) < 1;
    return head || shoulders ? figure : background;
}

bool insideRoundedSquare(double x, double y, double radius) {
    double cx = std::fmin(std::fmax(x, radius), 1 - radius), cy = std::fmin(std::fmax(y, radius), 1 - radius);
    return x >= 0 && x <= 1 && y >= 0 && y <= 1 && squared(x - cx) + squared(y - cy) <= squared(radius);
}

Rgba productIcon(double x, double y) {
    const Rgba clear{0, 0, 0, 0}, orange{0.96, 0.55, 0.18, 1}, deep{0.80, 0.36, 0.08, 1}, white{1, 1, 1, 1};
    if (!insideRoundedSquare(x, y, 0.22)) return clear;
    // The folded corner: beyond the diagonal of the top right square the
    // icon is cut away, inside it the flap shows in a deeper tone.
    if (x > 0.81 && y < 0.19) return x - 0.81 > y ? clear : deep;
    double ring = std::sqrt(squared(x - 0.47) + squared(y - 0.53));
    if ((ring > 0.2 && ring < 0.28) || ring < 0.08) return white;
    return mix(orange, deep, y * 0.5);
}

bool writeImage(const std::filesystem::path& file, const imageio::CGImage& image) {
    auto png = imageio::encodePNG(image);
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    if (!png) return false;
    return foundation::writeFileAtomically(file,
                                           std::string_view(reinterpret_cast<const char*>(png->data()), png->size()))
        .ok();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s BUNDLE-FOLDER\n", argv[0]);
        return 2;
    }
    std::filesystem::path folder = argv[1];
    // Drawn at twice the points they fill (70 and 29), for sharp 2x screens.
    bool ok = writeImage(folder / "veltrona.png", draw(140, portrait)) &&
              writeImage(folder / "otherTweaks" / "foldshot.png", draw(58, productIcon));
    if (!ok) std::fprintf(stderr, "%s: cannot write the images into %s\n", argv[0], folder.c_str());
    return ok ? 0 : 1;
}
