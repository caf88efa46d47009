// libFuzzer program: an image file as imageWithContentsOfFile: decodes it.
#include "fuzz/FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::runFuzzEntry("image_file", {data, size});
}
