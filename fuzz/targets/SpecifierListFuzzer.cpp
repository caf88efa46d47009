// libFuzzer program: a specifier list, read by the Preferences stand-in and shown as a page.
#include "fuzz/FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::runFuzzEntry("specifier_list", {data, size});
}
