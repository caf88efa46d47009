#include "platform/foundation/NSString.h"

#include <utf8proc.h>

#include <cstdlib>
#include <vector>

namespace foundation {

std::string canonicalDecomposition(std::string_view text) {
    utf8proc_uint8_t* decomposed = nullptr;
    utf8proc_ssize_t length = utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(text.data()),
                                           static_cast<utf8proc_ssize_t>(text.size()), &decomposed,
                                           static_cast<utf8proc_option_t>(UTF8PROC_DECOMPOSE | UTF8PROC_STABLE));
    if (length < 0) return std::string(text);
    std::string out(reinterpret_cast<const char*>(decomposed), static_cast<std::size_t>(length));
    std::free(decomposed);
    return out;
}

namespace {
// UTF-16 code units of UTF-8 text, for the platform's ordering; invalid bytes
// are taken one unit each so any input still orders consistently.
std::vector<char16_t> utf16Units(std::string_view text) {
    std::vector<char16_t> units;
    units.reserve(text.size());
    const auto* bytes = reinterpret_cast<const utf8proc_uint8_t*>(text.data());
    utf8proc_ssize_t left = static_cast<utf8proc_ssize_t>(text.size());
    while (left > 0) {
        utf8proc_int32_t codepoint = 0;
        utf8proc_ssize_t used = utf8proc_iterate(bytes, left, &codepoint);
        if (used <= 0) {
            units.push_back(static_cast<char16_t>(*bytes));
            ++bytes;
            --left;
            continue;
        }
        if (codepoint >= 0x10000) {
            codepoint -= 0x10000;
            units.push_back(static_cast<char16_t>(0xD800 + (codepoint >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + (codepoint & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(codepoint));
        }
        bytes += used;
        left -= used;
    }
    return units;
}
}  // namespace

NSComparisonResult compare(std::string_view receiver, std::optional<std::string_view> argument) {
    if (!argument) return NSOrderedDescending;
    if (receiver == *argument) return NSOrderedSame;
    auto left = utf16Units(canonicalDecomposition(receiver));
    auto right = utf16Units(canonicalDecomposition(*argument));
    if (left == right) return NSOrderedSame;
    return left < right ? NSOrderedAscending : NSOrderedDescending;
}

}  // namespace foundation
