// A small C entry point through which tools that load the hook library at run
// time (with dlopen) can see the snapshot that the library holds.
#include "hook/SettingsSnapshot.h"

#include <cstring>

extern "C" __attribute__((visibility("default"))) std::size_t SnapfoldCopySettingsSnapshot(bool* isEnabled,
                                                                                           char* albumName,
                                                                                           std::size_t capacity) {
    if (isEnabled) *isEnabled = snapfold::isEnabled();
    auto name = snapfold::albumName();
    if (albumName && capacity > 0) {
        std::size_t copied = std::min(capacity - 1, name->size());
        std::memcpy(albumName, name->data(), copied);
        albumName[copied] = '\0';
    }
    return name->size();
}
