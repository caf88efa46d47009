// The Settings app's entries for add-on settings: every property list below
// /Library/PreferenceLoader/Preferences (sub-folders included) whose "entry"
// is a link row with a label. Entries are sorted by label, ignoring case.
#pragma once

#include "platform/foundation/PropertyList.h"
#include "platform/preferences/PSListController.h"
#include "platform/preferences/PSSpecifier.h"

#include <optional>
#include <string>
#include <vector>

namespace preferences {

inline constexpr const char* kPreferenceLoaderFolder = "/Library/PreferenceLoader/Preferences";

struct PreferenceLoaderEntry {
    std::string file;   // device path of the entry list
    std::string label;  // the entry's title in the Settings app
    PSSpecifierRef specifier;
    // The bundle the entry opens: its "bundlePath" when that exists, else
    // /Library/PreferenceBundles/<bundle>.bundle, else
    // /System/Library/PreferenceBundles/<bundle>.bundle. Nothing for an entry
    // that carries its own rows ("items") instead of a bundle.
    std::optional<std::string> bundlePath;
    bool isController = false;
    foundation::NSDictionary list;  // the whole entry list, for entries with their own rows
};

// The entries the Settings app lists, in its order. Unreadable lists,
// entries that are not labelled link rows, entries whose bundle is missing,
// and entries whose Core Foundation version range ("pl_filter"/"filter",
// CoreFoundationVersion = [min, max)) excludes this device are left out, each
// with a log line.
std::vector<PreferenceLoaderEntry> preferenceLoaderEntries();

// Opens an entry as the Settings app does when it is tapped: the bundle's
// principal class for a bundle entry, or a page of the entry's own rows.
// Nothing (and a log line) when the bundle cannot be loaded.
PSListControllerRef openPreferenceLoaderEntry(const PreferenceLoaderEntry& entry);

}  // namespace preferences
