// `MGCopyAnswer`: answers about the device, read from the device root.
// "ProductVersion", "BuildVersion" and "ProductName" come from
// /System/Library/CoreServices/SystemVersion.plist (its ProductVersion,
// ProductBuildVersion and ProductName); every other question is looked up by
// name in the device-information list
// /System/Library/CoreServices/DeviceInfo.plist ("ProductType",
// "DeviceClass", "UniqueDeviceID", ...).
#pragma once

#include "platform/foundation/PropertyList.h"

#include <memory>
#include <string_view>

inline constexpr const char* kMGSystemVersionPlistPath = "/System/Library/CoreServices/SystemVersion.plist";
inline constexpr const char* kMGDeviceInfoPlistPath = "/System/Library/CoreServices/DeviceInfo.plist";

// The answer, owned by the caller as the platform's "copy" rule says, or
// null when the device has no answer to the question. The files are read at
// each call.
std::shared_ptr<const foundation::PlistValue> MGCopyAnswer(std::string_view question);
