// Writes the demo's sample photos into a folder (resources/samples by default):
//   harbour.jpg          1600x1200, EXIF orientation 1
//   portrait-exif6.jpg   stored 1600x1200 on its side with EXIF orientation 6,
//                        so it shows as a 1200x1600 portrait only where the
//                        orientation is honoured.
// With `--camera WIDTHxHEIGHT` (repeatable) it writes camera-WIDTHxHEIGHT.jpg
// instead: the camera photo with sensor noise that the PNG benchmarks and
// bench/peers/compare measure.
#include "platform/imageio/ImageOrientation.h"
#include "tools/CameraPhoto.h"
#include "tools/HarbourScenes.h"
#include "tools/SampleJpegWriter.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kQuality = 85;

bool writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "snapfold-make-sample-photo: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("%s (%zu bytes)\n", path.c_str(), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> cameraSizes;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        unsigned width = 0, height = 0;
        char end = 0;
        if (argument == "--camera" && i + 1 < argc && std::sscanf(argv[i + 1], "%ux%u%c", &width, &height, &end) == 2 &&
            width > 0 && height > 0 && width <= 20000 && height <= 20000) {
            cameraSizes.emplace_back(width, height);
            ++i;
        } else if (argument.starts_with("-")) {
            positional.assign(2, "");  // Refused below.
        } else {
            positional.push_back(argument);
        }
    }
    if (positional.size() > 1) {
        std::fprintf(stderr, "usage: snapfold-make-sample-photo [--camera WIDTHxHEIGHT]... [output-folder]\n");
        return 2;
    }
    std::filesystem::path folder = positional.empty() ? "resources/samples" : positional[0];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "snapfold-make-sample-photo: cannot create %s: %s\n", folder.c_str(),
                     error.message().c_str());
        return 1;
    }

    if (!cameraSizes.empty()) {
        for (auto [width, height] : cameraSizes) {
            auto photo = sampleimages::makeCameraPhoto(width, height, imageio::PixelFormat::RGB8);
            auto name = "camera-" + std::to_string(width) + "x" + std::to_string(height) + ".jpg";
            if (!writeFile(folder / name, sampleimages::encodeJpeg(photo, kQuality, 1))) return 1;
        }
        return 0;
    }

    auto harbour = sampleimages::drawHarbour(1600, 1200);
    // EXIF orientation 6 means "turn a quarter clockwise to view", so the
    // upright portrait is stored turned a quarter counter-clockwise, which is
    // what viewing it under orientation 8 does.
    auto portrait = sampleimages::drawLighthouse(1200, 1600);
    auto sideways = imageio::drawnUpright(portrait, 8);

    bool ok = writeFile(folder / "harbour.jpg", sampleimages::encodeJpeg(harbour, kQuality, 1)) &&
              writeFile(folder / "portrait-exif6.jpg", sampleimages::encodeJpeg(sideways, kQuality, 6));
    return ok ? 0 : 1;
}
