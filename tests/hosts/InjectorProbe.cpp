// A dynamic library for the injector's tests: loaded under any file name, it
// tells the test process its name from its static initializer.
#include <dlfcn.h>

#include <cstring>

// Defined by the test executable; weak, so loading the probe anywhere else
// is harmless.
extern "C" void injectorProbeLoaded(const char* libraryPath) __attribute__((weak));

namespace {

__attribute__((constructor)) void announceLoad() {
    Dl_info info{};
    if (injectorProbeLoaded && ::dladdr(reinterpret_cast<void*>(&announceLoad), &info) && info.dli_fname)
        injectorProbeLoaded(info.dli_fname);
}

}  // namespace
