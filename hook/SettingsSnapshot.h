// The settings snapshot: the hook library's process-wide copy of the two
// settings, refreshed from the settings file on every settings-changed
// notification, and read by the save hooks on every save.
#pragma once

#include "platform/foundation/CFNotificationCenter.h"

#include <memory>
#include <string>
#include <string_view>

namespace snapfold {

// The two contracts shared with the settings bundle.
inline constexpr const char* kSettingsFilePath = "/private/var/mobile/Library/Preferences/com.veltrona.snapfold.plist";
inline constexpr const char* kSettingsChangedNotification = "com.veltrona.snapfold/settingschanged";
inline constexpr const char* kIsEnabledKey = "isEnabled";
inline constexpr const char* kAlbumNameKey = "albumName";
inline constexpr const char* kDefaultAlbumName = "WhatsApp";

// The master switch. A single byte, read and written whole.
bool isEnabled();
// The album name current at this moment. The caller gets its own reference,
// so a reload on another thread never pulls the string from under it.
std::shared_ptr<const std::string> albumName();

// Refreshes the snapshot from the settings file. A missing, unreadable or
// malformed file, or one whose root is not a dictionary, leaves both fields
// as they were.
void loadSettings();
// The same, from the bytes of a settings file already read (any property-list
// encoding): the fuzz target and its corpus replay feed the reader this way.
void loadSettingsFromData(std::string_view bytes);

// The Darwin notification callback: ignores its five parameters and reloads.
void settingsChanged(CFNotificationCenterRef center, void* observer, CFStringRef name, const void* object,
                     CFDictionaryRef userInfo);

// Test seam: puts the snapshot back to its starting values (on, "WhatsApp").
void resetSettingsSnapshotForTesting();

}  // namespace snapfold
