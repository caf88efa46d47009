#include "bench/support/BenchDeviceRoot.h"

#include "platform/foundation/DeviceRoot.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace benchsupport {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void giveUp(const std::string& why) {
    std::fprintf(stderr, "benchmark set-up: %s\n", why.c_str());
    std::abort();
}

// The folder holding every root of this process. Never destroyed, so that
// the removal at exit can still name it.
const fs::path& benchFolder() {
    static const fs::path* folder = [] {
        std::string pattern = (fs::temp_directory_path() / "snapfold-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) giveUp("cannot make a folder below " + fs::temp_directory_path().string());
        auto* made = new fs::path(pattern);
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(benchFolder(), ignored);
        });
        return made;
    }();
    return *folder;
}

}  // namespace

const fs::path& benchDeviceRoot() {
    static const fs::path* root = [] {
        auto* made = new fs::path(benchFolder() / "device");
        if (auto named = foundation::setDeviceRoot(*made); !named) giveUp(named.error().message);
        return made;
    }();
    return *root;
}

fs::path separateDeviceRoot(std::string_view name) {
    fs::path root = benchFolder() / name;
    if (auto prepared = foundation::prepareDeviceRoot(root); !prepared) giveUp(prepared.error().message);
    return root;
}

}  // namespace benchsupport
