// Strings tables, as the platform reads them: any property-list encoding
// (XML, binary, the old-style text form "{ key = value; }"), or the strings
// form without braces ("key" = "value"; with /* */ and // comments), in UTF-8
// or UTF-16 (by its byte-order mark, or a zero byte among the first two).
// The property-list reader does all of it; the table keeps the strings.
#pragma once

#include "platform/foundation/ErrorOr.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace foundation {

using StringsTable = std::map<std::string, std::string>;

// The key -> text entries of a table. A file that is empty or only white
// space is an empty table; entries whose value is not a string are skipped.
ErrorOr<StringsTable> parseStringsTable(std::string_view bytes);

// UTF-16 (with or without a byte-order mark) to UTF-8; a lone surrogate
// becomes U+FFFD. `bigEndian` applies when there is no mark.
std::string utf16ToUtf8(std::string_view bytes, bool bigEndian);
// The same for text known to hold no mark, so a leading U+FEFF is kept.
std::string utf16UnitsToUtf8(std::string_view bytes, bool bigEndian);
// Appends one code point, encoded as UTF-8.
void appendUtf8(std::string& out, std::uint32_t code);

}  // namespace foundation
