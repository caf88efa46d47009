// libFuzzer program: a strings table of a bundle's localization.
#include "fuzz/FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::runFuzzEntry("strings_table", {data, size});
}
