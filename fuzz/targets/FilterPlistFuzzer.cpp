// libFuzzer program: the filter list beside a dynamic library, as the injector reads it.
#include "fuzz/FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::runFuzzEntry("filter_plist", {data, size});
}
