#include "hook/SettingsSnapshot.h"

#include "platform/foundation/PropertyList.h"

#include <atomic>
#include <mutex>

namespace snapfold {

namespace {

// The starting values are static data: a device with no settings file has the
// feature on, saving into "WhatsApp". An empty album-name reference stands for
// the default name.
constinit std::atomic<bool> gIsEnabled{true};

// Made on first use and never destroyed: the load-time initializer stays the
// library's only static initializer, and a notification delivered while the
// process exits never reloads into a destroyed slot. A reader takes its own
// reference under a short lock, so a reload never frees a name in use.
struct AlbumNameSlot {
    std::mutex mutex;
    std::shared_ptr<const std::string> name;  // Empty: the default name.
};

AlbumNameSlot& albumNameSlot() {
    static auto* slot = new AlbumNameSlot;
    return *slot;
}

std::shared_ptr<const std::string> defaultAlbumName() {
    // Never destroyed, for the same reason as the slot.
    static const auto* name = new std::shared_ptr<const std::string>(
        std::make_shared<const std::string>(kDefaultAlbumName));
    return *name;
}

}  // namespace

bool isEnabled() { return gIsEnabled.load(std::memory_order_acquire); }

std::shared_ptr<const std::string> albumName() {
    std::shared_ptr<const std::string> current;
    {
        AlbumNameSlot& slot = albumNameSlot();
        std::lock_guard lock(slot.mutex);
        current = slot.name;
    }
    return current ? current : defaultAlbumName();
}

namespace {

// Steps 2 to 4 of a reload, shared by the file reader and the bytes reader.
void applySettings(const foundation::PlistValue& dictionary) {
    // 2. The switch follows `isEnabled` when it has a boolean meaning; a value
    //    without one (a date, data, an array, a dictionary) leaves it unchanged
    //    rather than guessing.
    if (const foundation::PlistValue* enabled = dictionary.objectForKey(kIsEnabledKey)) {
        if (std::optional<bool> value = enabled->boolValue()) gIsEnabled.store(*value, std::memory_order_release);
    }

    // 3. The album name follows `albumName`; an absent key restores the
    //    default, and so does a value that is not a string, which the album
    //    lookup could not compare.
    const foundation::PlistValue* name = dictionary.objectForKey(kAlbumNameKey);
    auto next = name && name->string() ? std::make_shared<const std::string>(*name->string()) : defaultAlbumName();

    // 4. Publish the new name; the old one is released, outside the lock,
    //    when its last reader drops it.
    AlbumNameSlot& slot = albumNameSlot();
    {
        std::lock_guard lock(slot.mutex);
        slot.name.swap(next);
    }
}

}  // namespace

void loadSettings() {
    // 1. Read the file; no dictionary means nothing changes.
    std::optional<foundation::NSDictionary> settings = foundation::dictionaryWithContentsOfFile(kSettingsFilePath);
    if (!settings) return;
    applySettings(foundation::PlistValue(std::move(*settings)));
}

void loadSettingsFromData(std::string_view bytes) {
    auto settings = foundation::parsePropertyList(bytes);
    if (!settings || !settings->isDictionary()) return;
    applySettings(settings.value());
}

void settingsChanged(CFNotificationCenterRef, void*, CFStringRef, const void*, CFDictionaryRef) { loadSettings(); }

void resetSettingsSnapshotForTesting() {
    gIsEnabled.store(true);
    AlbumNameSlot& slot = albumNameSlot();
    std::lock_guard lock(slot.mutex);
    slot.name.reset();
}

}  // namespace snapfold
