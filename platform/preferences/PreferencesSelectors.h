// The dynamic selectors of the Preferences stand-in, each declared once with
// its C++ signature: what the framework calls by name on pages and cells.
#pragma once

#include "platform/foundation/PropertyList.h"
#include "platform/runtime/Selector.h"

#include <memory>
#include <optional>
#include <string>

namespace preferences {

class PSSpecifier;

// `initWithStyle:reuseIdentifier:specifier:` on a cell made by class name.
inline const objc::TypedSelector<std::shared_ptr<objc::Object>(long, std::string, PSSpecifier*)>
    kInitWithStyleReuseIdentifierSpecifier{"initWithStyle:reuseIdentifier:specifier:"};
// The value accessors a row names with "get" and "set" (by default these two).
inline const objc::TypedSelector<std::optional<foundation::PlistValue>(PSSpecifier*)> kReadPreferenceValue{
    "readPreferenceValue:"};
inline const objc::TypedSelector<void(std::optional<foundation::PlistValue>, PSSpecifier*)>
    kSetPreferenceValueSpecifier{"setPreferenceValue:specifier:"};

}  // namespace preferences
