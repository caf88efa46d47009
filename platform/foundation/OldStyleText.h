// The old-style text form of property lists, which strings tables share:
// quoted and unquoted strings, "( a, b )" arrays, "{ key = value; }"
// dictionaries, "<0fbd 12>" data, with /* */ and // comments. At the top
// level the braces of a dictionary may be left out ("key" = "value"; as a
// strings table writes it), and in a dictionary "key"; alone maps the key
// to itself.
#pragma once

#include "platform/foundation/PropertyList.h"

#include <string_view>

namespace foundation {

// What text with no value at all (white space and comments) reads as: a
// property list is refused, a strings table is empty.
enum class EmptyText { Refused, EmptyDictionary };

// `text` is UTF-8 (the caller converts UTF-16 and drops a byte-order mark).
// Nesting deeper than kMaximumPropertyListDepth is refused.
ErrorOr<PlistValue> parseOldStyleText(std::string_view text, EmptyText empty = EmptyText::Refused);

}  // namespace foundation
