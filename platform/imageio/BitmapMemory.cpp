#include "platform/imageio/BitmapMemory.h"

#include "platform/foundation/Concurrently.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace imageio::detail {

void sizePixels(CGImage& image) {
    const std::size_t bytes = image.rowBytes() * image.height;
    // Below this the faults cost less than starting a thread.
    constexpr std::size_t kBytesWorthAHelper = 4 << 20;
#ifdef MADV_POPULATE_WRITE
    if (bytes >= kBytesWorthAHelper) {
        image.pixels.reserve(bytes);
        const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        const auto start = reinterpret_cast<std::uintptr_t>(image.pixels.data());
        const std::uintptr_t middle = (start + bytes / 2 + page - 1) / page * page;
        const std::uintptr_t end = (start + bytes) / page * page;
        // The helper only asks the kernel for pages, it writes no byte: the
        // zeroing below reaches every byte either way, and a kernel without
        // the request (before Linux 5.14) leaves the faults to it.
        foundation::runConcurrently(2, [&](unsigned part) {
            if (part == 0) image.pixels.resize(bytes);
            else if (end > middle) ::madvise(reinterpret_cast<void*>(middle), end - middle, MADV_POPULATE_WRITE);
        });
        return;
    }
#endif
    image.pixels.resize(bytes);
}

}  // namespace imageio::detail
