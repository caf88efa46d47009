// What the host tests share: a device root with the tweak installed as a
// person installs it, and sample photos written as JPEG files.
#pragma once

#include <cstdint>
#include <filesystem>

namespace hosttest {

// Clears the test process's device (settings, media, installed tweaks), then
// installs the built tweak into it with scripts/install-device. Reports a
// failed install as a test failure.
void installTweakIntoCleanDevice();

// Writes a photo-like picture of the given size as a JPEG file.
void writeSamplePhoto(const std::filesystem::path& file, std::uint32_t width, std::uint32_t height, std::uint32_t seed,
                      int quality = 85);

}  // namespace hosttest
