// String comparison as the phone's `compare:` does it without options:
// case-sensitive and diacritic-sensitive, but canonically equivalent
// sequences are equal ("caf\u00e9" and "cafe\u0301" compare the same), and the
// order is that of UTF-16 code units after canonical decomposition.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace foundation {

enum NSComparisonResult : long { NSOrderedAscending = -1, NSOrderedSame = 0, NSOrderedDescending = 1 };

// `[receiver compare:argument]`; an absent argument orders after nothing, so
// it never compares the same as a present string.
NSComparisonResult compare(std::string_view receiver, std::optional<std::string_view> argument);

// Canonical decomposition (NFD) of UTF-8 text; text that is not valid UTF-8
// is returned unchanged.
std::string canonicalDecomposition(std::string_view text);

}  // namespace foundation
