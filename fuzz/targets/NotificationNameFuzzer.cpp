// libFuzzer program: a notification name, spelled as a file name and read back.
#include "fuzz/FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::runFuzzEntry("notification_name", {data, size});
}
