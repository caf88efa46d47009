// Bundles opened by path (`bundleWithPath:`): a folder with an Info.plist,
// resources, per-language `*.lproj` folders of strings tables and, for a
// loadable bundle, the executable named by CFBundleExecutable.
#pragma once

#include "platform/foundation/PropertyList.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace foundation {

class NSBundle {
public:
    // The bundle at a device path, or nothing when there is no folder there.
    // A folder without an Info.plist is a bundle with an empty information
    // dictionary, as on the platform. As on the platform, a bundle opened
    // again is the same object, until its Info.plist changes (reinstalled).
    static std::shared_ptr<const NSBundle> bundleWithPath(std::string_view devicePath);

    NSBundle(std::string devicePath, NSDictionary info);

    // The device path the bundle was opened with.
    const std::string& bundlePath() const { return devicePath_; }
    std::filesystem::path hostBundlePath() const;
    const NSDictionary& infoDictionary() const { return info_; }
    // A string entry of the Info.plist, or nothing.
    std::optional<std::string> objectForInfoDictionaryKey(std::string_view key) const;
    std::optional<std::string> bundleIdentifier() const { return objectForInfoDictionaryKey("CFBundleIdentifier"); }
    // The executable's host path (CFBundleExecutable inside the bundle), or
    // nothing when the Info.plist names none.
    std::optional<std::filesystem::path> executablePath() const;

    // The names of the bundle's `*.lproj` folders, without the extension.
    std::vector<std::string> localizations() const;
    // The localization used for look-ups: the first of the preferred
    // languages that the bundle has, else its development region, else
    // "en"/"English" when present, else the first one it has.
    std::optional<std::string> preferredLocalization() const;

    // `pathForResource:ofType:`: the device path of "<name>.<type>" in the
    // bundle's folder, else in the preferred localization's folder; nothing
    // when neither holds it.
    std::optional<std::string> pathForResource(std::string_view name, std::string_view type) const;

    // `localizedStringForKey:value:table:`: the entry of the key in the
    // preferred localization's table (no table name: "Localizable"). When
    // the table lacks the key: `value` when it is not empty, else the key.
    std::string localizedStringForKey(std::string_view key, std::string_view value,
                                      std::optional<std::string_view> table) const;

private:
    std::string devicePath_;
    NSDictionary info_;
    // The `*.lproj` folders, read once: a bundle's layout does not change
    // while it is installed.
    std::vector<std::string> localizations_;
};

using NSBundleRef = std::shared_ptr<const NSBundle>;

// The user's languages in order of preference ("de-DE", "en", ...): the
// device's global preferences (AppleLanguages), else the process's locale
// environment (LANGUAGE, LC_ALL, LC_MESSAGES, LANG), else "en".
std::vector<std::string> preferredLanguages();
// Test seam: answers `languages` from now on (nullopt: back to the device's).
void setPreferredLanguagesForTesting(std::optional<std::vector<std::string>> languages);

}  // namespace foundation
