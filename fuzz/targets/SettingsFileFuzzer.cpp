// libFuzzer program: the settings file as the hook library reads it.
#include "fuzz/FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::runFuzzEntry("settings_file", {data, size});
}
