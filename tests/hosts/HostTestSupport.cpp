#include "tests/hosts/HostTestSupport.h"

#include "tests/support/TestSupport.h"
#include "tools/SampleJpegWriter.h"
#include "tools/SyntheticPhoto.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;

namespace hosttest {

void installTweakIntoCleanDevice() {
    const fs::path& root = testsupport::processDeviceRoot();
    testsupport::clearDevice();
    fs::remove_all(root / "Library/MobileSubstrate/DynamicLibraries");
    fs::create_directories(root / "Library/MobileSubstrate/DynamicLibraries");
    auto installed = testsupport::runProgram(
        fs::path(SNAPFOLD_SOURCE_DIR) / "scripts/install-device",
        {"--device-root", root.string(), "--build-dir", testsupport::buildDirectory().string()});
    ASSERT_EQ(installed.exitCode, 0) << installed.errors;
}

void writeSamplePhoto(const fs::path& file, std::uint32_t width, std::uint32_t height, std::uint32_t seed,
                      int quality) {
    auto image = sampleimages::makePhotoLikeImage(width, height, imageio::PixelFormat::RGB8, seed);
    auto bytes = sampleimages::encodeJpeg(image, quality);
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace hosttest
