// `kCFCoreFoundationVersionNumber`: the version of the phone's Core Foundation,
// which follows the system version one to one. Tweaks and the hooking
// framework's filters compare against it rather than against the system
// version string.
//
// Here it is derived from the device root's
// /System/Library/CoreServices/SystemVersion.plist (its ProductVersion), with
// the platform's own table of system version -> Core Foundation version.
#pragma once

#include <optional>
#include <string_view>

namespace foundation {

// A few of the platform's named versions, for comparisons in code.
inline constexpr double kCFCoreFoundationVersionNumber_iOS_8_0 = 1140.10;
inline constexpr double kCFCoreFoundationVersionNumber_iOS_8_3 = 1144.17;
inline constexpr double kCFCoreFoundationVersionNumber_iOS_8_4 = 1145.15;
inline constexpr double kCFCoreFoundationVersionNumber_iOS_9_0 = 1240.10;
inline constexpr double kCFCoreFoundationVersionNumber_iOS_10_0 = 1348.00;
inline constexpr double kCFCoreFoundationVersionNumber_iOS_11_0 = 1443.00;
inline constexpr double kCFCoreFoundationVersionNumber_iOS_12_0 = 1556.00;
inline constexpr double kCFCoreFoundationVersionNumber_iOS_13_0 = 1665.15;

inline constexpr const char* kSystemVersionPlistPath = "/System/Library/CoreServices/SystemVersion.plist";
// What a device without a SystemVersion.plist reports: an 8.4 system, the
// newest of the first systems this product runs on.
inline constexpr double kDefaultCoreFoundationVersionNumber = kCFCoreFoundationVersionNumber_iOS_8_4;

// The Core Foundation version of the device, read from the device root's
// SystemVersion.plist at each call; the default when the file is missing,
// unreadable or names no usable ProductVersion.
double kCFCoreFoundationVersionNumber();

// The Core Foundation version that shipped with a system version ("8.3",
// "9.0.2", "13"): the table's entry for the newest listed release not newer
// than it. Earlier than the table: its first entry; later: its last.
// Nothing when the text is not a version.
std::optional<double> coreFoundationVersionForSystemVersion(std::string_view productVersion);

// Test seam: answers `version` from now on (nullopt: back to the device's).
void setCoreFoundationVersionNumberForTesting(std::optional<double> version);

}  // namespace foundation
