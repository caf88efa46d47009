// libFuzzer program: an asset URL, as the photo library reads it.
#include "fuzz/FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::runFuzzEntry("asset_url", {data, size});
}
