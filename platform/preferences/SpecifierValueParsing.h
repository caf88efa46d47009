// A row's new value from text, as a person types it for the Settings host:
// checked against the kind of row (a switch takes on/off, a choice row one of
// its choices, a slider a number in its range, a text field any text).
#pragma once

#include "platform/foundation/ErrorOr.h"
#include "platform/foundation/PropertyList.h"
#include "platform/preferences/PSSpecifier.h"

#include <string_view>

namespace preferences {

// The value, or an InvalidArgument error whose message says what the row takes.
foundation::ErrorOr<foundation::PlistValue> valueFromText(const PSSpecifier& specifier, std::string_view text);

}  // namespace preferences
