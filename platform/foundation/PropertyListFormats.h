// The readers and the writer behind parsePropertyList and
// serializePropertyList, one per encoding. Each reader bounds nesting by
// kMaximumPropertyListDepth itself, so a hostile file is refused in bounded
// time and stack.
#pragma once

#include "platform/foundation/OldStyleText.h"
#include "platform/foundation/PropertyList.h"

#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// parsePropertyList, with the choice of what blank text reads as.
ErrorOr<PlistValue> parsePropertyList(std::string_view bytes, EmptyText empty);

// A binary list ("bplist00"), read whole: 64-bit and unsigned integers, dates
// as the double they are stored as, strings with U+0000.
ErrorOr<PlistValue> parseBinaryPropertyList(std::string_view bytes);

// XML text, already in UTF-8 (the caller converts UTF-16 and drops marks).
ErrorOr<PlistValue> parseXmlPropertyList(std::string_view text);
// Refuses only a date some thirty million years away, which XML's calendar
// text cannot give to the second.
ErrorOr<std::string> xmlPropertyList(const PlistValue& value);

// Dates in XML: "2001-01-01T00:00:00Z", with a fraction of a second when the
// value has one ("1850-06-01T12:00:00.25Z"), years before 1 and after 9999
// with a sign or more digits.
std::string xmlDateText(PlistDate date);
std::optional<PlistDate> parseXmlDateText(std::string_view text);

}  // namespace foundation
