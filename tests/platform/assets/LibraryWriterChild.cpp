// A second process that writes photos into a device root's library, for the
// tests of what concurrent writers and killed writers leave behind.
//
//   snapfold_assets_writer_child DEVICE_ROOT COUNT [--pause-at temporary|placed]
//
// Writes COUNT photos (0: until killed) through ALAssetsLibrary and prints
// each new asset URL on its own line as soon as the write has completed.
// With --pause-at, the first write stops at that step (after its temporary
// file is on disk, or after its media file has its final name but before its
// row is committed), prints "paused", and goes on when a line arrives on
// standard input.
#include "platform/assets/AssetsLibrary.h"
#include "platform/assets/PhotoStore.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/imageio/ImageCodecs.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <iostream>
#include <string>

namespace {

foundation::NSDataRef photo(std::uint32_t seed) {
    imageio::CGImage image;
    image.width = 24;
    image.height = 16;
    image.format = imageio::PixelFormat::RGB8;
    image.pixels.resize(image.rowBytes() * image.height);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = static_cast<std::uint8_t>(i * seed);
    return imageio::encodePNG(image);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: %s DEVICE_ROOT COUNT [--pause-at temporary|placed]\n", argv[0]);
        return 2;
    }
    if (auto named = foundation::setDeviceRoot(argv[1]); !named) {
        std::fprintf(stderr, "library-writer-child: %s\n", named.error().message.c_str());
        return 2;
    }
    long count = std::atol(argv[2]);
    if (argc == 5) {
        std::string where = argv[4];
        auto pauseStep = where == "placed" ? assets::PhotoStore::WriteStep::MediaPlaced
                                           : assets::PhotoStore::WriteStep::TemporaryWritten;
        auto paused = std::make_shared<std::atomic<bool>>(false);
        assets::PhotoStore::setWriteStepObserverForTesting([pauseStep, paused](assets::PhotoStore::WriteStep step) {
            if (step != pauseStep || paused->exchange(true)) return;
            std::printf("paused\n");
            std::fflush(stdout);
            std::string line;
            std::getline(std::cin, line);
        });
    }

    auto library = assets::ALAssetsLibrary::create();
    for (long written = 0; count == 0 || written < count; ++written) {
        std::promise<std::string> done;
        library->writeImageDataToSavedPhotosAlbum(
            photo(static_cast<std::uint32_t>(written + 3)), std::nullopt,
            [&done](foundation::NSURLRef url, foundation::NSErrorRef error) {
                done.set_value(url ? url->absoluteString() : "error " + (error ? error->description() : std::string()));
            });
        std::printf("%s\n", done.get_future().get().c_str());
        std::fflush(stdout);
    }
    return 0;
}
