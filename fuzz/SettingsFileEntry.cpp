// The settings file as the hook library reads it on every settings-changed
// notification.
#include "fuzz/FuzzEntries.h"

#include "hook/SettingsSnapshot.h"
#include "platform/foundation/PropertyList.h"

namespace fuzz {

Finding feedSettingsFile(Input bytes) {
    snapfold::resetSettingsSnapshotForTesting();
    snapfold::loadSettingsFromData(asText(bytes));

    // Whatever the file holds, a save must still find an album name.
    std::shared_ptr<const std::string> name = snapfold::albumName();
    if (!name) return "no album name after a reload";

    // A file that is no dictionary leaves the snapshot as it was; a string
    // under the name's key becomes the album name, byte for byte.
    auto settings = foundation::parsePropertyList(asText(bytes));
    if (!settings || !settings->isDictionary()) {
        if (!snapfold::isEnabled() || *name != snapfold::kDefaultAlbumName)
            return "a file that is no settings dictionary changed the snapshot";
        return std::nullopt;
    }
    const foundation::PlistValue* stored = settings->objectForKey(snapfold::kAlbumNameKey);
    if (stored && stored->string() && *name != *stored->string()) return "the album name differs from the file's";

    // The settings writers rewrite the whole dictionary as XML: it must read
    // back as it was read (compared as written, so that a NaN equals itself).
    if (auto xml = foundation::serializePropertyList(settings.value())) {
        auto reread = foundation::parsePropertyList(xml.value());
        auto rewritten = reread ? foundation::serializePropertyList(reread.value()) : xml;
        if (!reread || !rewritten || rewritten.value() != xml.value())
            return "a settings file rewritten as XML does not read back as it was";
    }
    return std::nullopt;
}

}  // namespace fuzz
