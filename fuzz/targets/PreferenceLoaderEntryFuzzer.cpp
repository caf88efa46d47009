// libFuzzer program: an entry list of the Settings app, listed and opened.
#include "fuzz/FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::runFuzzEntry("preference_loader_entry", {data, size});
}
