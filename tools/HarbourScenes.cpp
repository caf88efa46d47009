#include "tools/HarbourScenes.h"

#include "tools/SyntheticPhoto.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace sampleimages {

namespace {

struct Color {
    double r, g, b;
};

Color mix(Color a, Color b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// A floating-point canvas, painted back to front.
class Canvas {
public:
    Canvas(std::uint32_t width, std::uint32_t height)
        : width_(width), height_(height), pixels_(std::size_t{width} * height) {}

    std::uint32_t width() const { return width_; }
    std::uint32_t height() const { return height_; }
    Color& at(std::uint32_t x, std::uint32_t y) { return pixels_[std::size_t{y} * width_ + x]; }

    // Paints every pixel for which `paint` answers a colour and a coverage.
    void paint(const std::function<bool(double x, double y, Color& color, double& coverage)>& paint) {
        for (std::uint32_t y = 0; y < height_; ++y)
            for (std::uint32_t x = 0; x < width_; ++x) {
                Color color{};
                double coverage = 1;
                if (paint(x + 0.5, y + 0.5, color, coverage)) at(x, y) = mix(at(x, y), color, coverage);
            }
    }
    void fillRect(double x0, double y0, double x1, double y1, const std::function<Color(double x, double y)>& shade) {
        for (auto y = static_cast<std::uint32_t>(std::max(0.0, y0)); y < std::min<double>(height_, y1); ++y)
            for (auto x = static_cast<std::uint32_t>(std::max(0.0, x0)); x < std::min<double>(width_, x1); ++x)
                at(x, y) = shade(x, y);
    }

    imageio::CGImage withGrain(std::uint32_t seed, double amplitude) const {
        SeededRandom random(seed);
        imageio::CGImage image;
        image.width = width_;
        image.height = height_;
        image.format = imageio::PixelFormat::RGB8;
        image.pixels.resize(image.rowBytes() * height_);
        for (std::size_t i = 0; i < pixels_.size(); ++i) {
            double grain = amplitude * (random.unit() + random.unit() - 1);
            const Color& c = pixels_[i];
            for (int k = 0; k < 3; ++k) {
                double value = (k == 0 ? c.r : k == 1 ? c.g : c.b) + grain;
                image.pixels[i * 3 + k] = static_cast<std::uint8_t>(std::clamp(std::lround(value), 0l, 255l));
            }
        }
        return image;
    }

private:
    std::uint32_t width_, height_;
    std::vector<Color> pixels_;
};

void paintSky(Canvas& canvas, double horizon, double sunX, double sunY) {
    const Color zenith{48, 96, 168}, haze{214, 200, 178}, sun{255, 244, 214};
    double sunRadius = canvas.width() * 0.035;
    canvas.fillRect(0, 0, canvas.width(), horizon, [&](double x, double y) {
        Color sky = mix(zenith, haze, std::pow(y / horizon, 1.6));
        // Soft banks of cloud: a few long waves, stronger near the horizon.
        double cloud = std::sin(x * 0.006 + y * 0.02) * std::sin(x * 0.0023 - y * 0.011 + 1.3);
        sky = mix(sky, Color{236, 236, 240}, std::max(0.0, cloud) * 0.45 * (0.3 + y / horizon));
        double d = std::hypot(x - sunX, y - sunY);
        sky = mix(sky, sun, std::exp(-d / (sunRadius * 3)) * 0.8);
        return d < sunRadius ? sun : sky;
    });
}

void paintHills(Canvas& canvas, double horizon, double height, Color color, double phase) {
    canvas.paint([&](double x, double y, Color& c, double& coverage) {
        double ridge = horizon -
                       height * (0.55 + 0.3 * std::sin(x * 0.004 + phase) + 0.15 * std::sin(x * 0.017 + phase * 3));
        if (y < ridge || y > horizon) return false;
        c = mix(color, Color{150, 160, 170}, (horizon - y) / height * 0.3);
        coverage = std::clamp(y - ridge, 0.0, 1.0);  // antialiased ridge line
        return true;
    });
}

void paintSea(Canvas& canvas, double top, double bottom, double sunX) {
    const Color near{18, 58, 78}, far{92, 128, 140}, glitter{250, 236, 200};
    canvas.fillRect(0, top, canvas.width(), bottom, [&](double x, double y) {
        double depth = (y - top) / (bottom - top);
        Color water = mix(far, near, std::pow(depth, 0.7));
        double ripple = std::sin(y * (0.9 - 0.6 * depth) + std::sin(x * 0.013) * 2.2);
        water = mix(water, Color{170, 190, 196}, std::max(0.0, ripple) * 0.18);
        double reflection = std::exp(-std::abs(x - sunX) / (canvas.width() * 0.03 + depth * 60));
        return mix(water, glitter, reflection * std::max(0.0, ripple) * 0.8);
    });
}

void paintBoat(Canvas& canvas, double x, double waterline, double length, Color hull) {
    double hullHeight = length * 0.18;
    canvas.paint([&](double px, double py, Color& c, double&) {
        double t = (py - (waterline - hullHeight)) / hullHeight;  // 0 at the deck, 1 at the water
        if (t < 0 || t > 1) return false;
        double inset = t * length * 0.12;
        if (px < x + inset || px > x + length - inset * 0.4) return false;
        c = mix(hull, Color{hull.r * 0.5, hull.g * 0.5, hull.b * 0.5}, t);
        if (t < 0.12) c = Color{240, 240, 232};  // gunwale
        return true;
    });
    double mastX = x + length * 0.45, mastTop = waterline - hullHeight - length * 0.9;
    canvas.fillRect(mastX - 2, mastTop, mastX + 2, waterline - hullHeight, [](double, double) {
        return Color{70, 60, 50};
    });
    // Its reflection, broken up by the ripples.
    canvas.paint([&](double px, double py, Color& c, double& coverage) {
        if (py < waterline || py > waterline + hullHeight * 1.6 || px < x || px > x + length) return false;
        if (std::sin(py * 1.1 + px * 0.05) < 0) return false;
        c = Color{hull.r * 0.4, hull.g * 0.4, hull.b * 0.45};
        coverage = 0.45;
        return true;
    });
}

void paintPier(Canvas& canvas, double x0, double top, double bottom) {
    canvas.fillRect(x0, top, canvas.width(), bottom, [&](double x, double y) {
        // Stone blocks: mortar lines every 28 by 56 pixels, offset on alternate courses.
        int course = static_cast<int>((y - top) / 28);
        double shifted = x + (course % 2) * 28;
        bool mortar = std::fmod(y - top, 28) < 2 || std::fmod(shifted, 56) < 2;
        double tone = 120 + 25 * std::sin(course * 1.7 + std::floor(shifted / 56) * 2.3);
        return mortar ? Color{70, 66, 60} : Color{tone, tone * 0.95, tone * 0.88};
    });
}

}  // namespace

imageio::CGImage drawHarbour(std::uint32_t width, std::uint32_t height) {
    Canvas canvas(width, height);
    double horizon = height * 0.46;
    paintSky(canvas, horizon, width * 0.3, height * 0.16);
    paintHills(canvas, horizon, height * 0.14, Color{96, 112, 120}, 0.4);
    paintHills(canvas, horizon, height * 0.08, Color{60, 82, 70}, 2.1);
    paintSea(canvas, horizon, height, width * 0.3);
    paintPier(canvas, width * 0.72, height * 0.52, height);
    paintBoat(canvas, width * 0.08, height * 0.70, width * 0.22, Color{196, 48, 40});
    paintBoat(canvas, width * 0.40, height * 0.62, width * 0.14, Color{40, 72, 150});
    paintBoat(canvas, width * 0.55, height * 0.84, width * 0.15, Color{232, 232, 226});
    return canvas.withGrain(11, 3.0);
}

imageio::CGImage drawLighthouse(std::uint32_t width, std::uint32_t height) {
    Canvas canvas(width, height);
    double horizon = height * 0.68;
    paintSky(canvas, horizon, width * 0.75, height * 0.12);
    paintSea(canvas, horizon, height, width * 0.75);
    // Rocks at the foot of the tower.
    canvas.paint([&](double x, double y, Color& c, double&) {
        // Jagged along the top, sloping down into the sea on the right.
        double top = height * 0.80 - height * 0.05 * std::sin(x * 0.01) - height * 0.03 * std::sin(x * 0.041) +
                     std::max(0.0, x - width * 0.55) * 0.9;
        if (y < top) return false;
        double tone = 70 + 30 * std::sin(x * 0.05 + y * 0.03) * std::sin(y * 0.07);
        c = Color{tone, tone * 0.9, tone * 0.8};
        return true;
    });
    // The tower narrows upwards and is striped red and white.
    double centre = width * 0.36, base = height * 0.80, top = height * 0.22;
    canvas.paint([&](double x, double y, Color& c, double&) {
        if (y < top || y > base) return false;
        double t = (y - top) / (base - top);
        double halfWidth = width * (0.05 + 0.04 * t);
        if (std::abs(x - centre) > halfWidth) return false;
        bool red = static_cast<int>(t * 6) % 2 == 0;
        double light = 0.75 + 0.25 * std::cos((x - centre) / halfWidth * 1.4);
        c = red ? Color{200 * light, 40 * light, 36 * light} : Color{240 * light, 238 * light, 230 * light};
        return true;
    });
    // Lantern room and cap.
    canvas.fillRect(centre - width * 0.06, top - height * 0.05, centre + width * 0.06, top, [](double, double) {
        return Color{255, 226, 140};
    });
    canvas.paint([&](double x, double y, Color& c, double&) {
        double capTop = top - height * 0.09, capBottom = top - height * 0.05;
        if (y < capTop || y > capBottom) return false;
        double halfWidth = width * 0.07 * (y - capTop) / (capBottom - capTop);
        if (std::abs(x - centre) > halfWidth) return false;
        c = Color{50, 50, 56};
        return true;
    });
    return canvas.withGrain(23, 3.0);
}

}  // namespace sampleimages
