#include "fuzz/FuzzEntries.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSLog.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>

namespace fuzz {

namespace {

constexpr std::array kEntries{
    FuzzEntry{"settings_file", "the settings file as the hook library reads it", &feedSettingsFile},
    FuzzEntry{"specifier_list", "a specifier list, shown as a settings page", &feedSpecifierList},
    FuzzEntry{"preference_loader_entry", "an entry list of the Settings app, listed and opened",
              &feedPreferenceLoaderEntry},
    FuzzEntry{"strings_table", "a strings table of a bundle's localization", &feedStringsTable},
    FuzzEntry{"filter_plist", "the filter list beside a dynamic library", &feedFilterPropertyList},
    FuzzEntry{"image_file", "an image file as imageWithContentsOfFile: decodes it", &feedImageFile},
    FuzzEntry{"asset_url", "an asset URL", &feedAssetURL},
    FuzzEntry{"notification_name", "a notification name, spelled as a file name and read back", &feedNotificationName},
};

// A fuzzer runs millions of inputs, some of which write files: it gets a
// device root of its own, so that it never touches the user's device. The
// readers' log lines about bad input are still formatted, but not printed:
// millions of them would bury libFuzzer's own report.
void prepareFuzzingProcess() {
    foundation::setLogSinkForTesting([](const std::string&) {});
    std::string folder = (std::filesystem::temp_directory_path() / "snapfold-fuzz-XXXXXX").string();
    if (!::mkdtemp(folder.data())) {
        std::perror("snapfold fuzzing: cannot make a temporary device root");
        std::abort();
    }
    if (auto named = foundation::setDeviceRoot(folder); !named) {
        std::fprintf(stderr, "snapfold fuzzing: %s\n", named.error().message.c_str());
        std::abort();
    }
    static std::string made;
    made = folder;
    // A crash leaves the folder behind for a look; a clean end removes it.
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(made, ignored);
    });
}

}  // namespace

std::span<const FuzzEntry> fuzzEntries() { return kEntries; }

const FuzzEntry* findFuzzEntry(std::string_view name) {
    for (const FuzzEntry& entry : kEntries)
        if (entry.name == name) return &entry;
    return nullptr;
}

int runFuzzEntry(std::string_view name, Input bytes) {
    const FuzzEntry* entry = findFuzzEntry(name);
    if (!entry) {
        std::fprintf(stderr, "snapfold fuzzing: no target named %.*s\n", static_cast<int>(name.size()), name.data());
        std::abort();
    }
    static std::once_flag prepared;
    std::call_once(prepared, prepareFuzzingProcess);
    if (Finding finding = entry->feed(bytes)) {
        std::fprintf(stderr, "snapfold fuzzing: %.*s: %s\n", static_cast<int>(name.size()), name.data(),
                     finding->c_str());
        std::abort();
    }
    return 0;
}

}  // namespace fuzz
