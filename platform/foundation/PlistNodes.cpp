#include "platform/foundation/PlistNodes.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace foundation::detail {

namespace {

constexpr std::uint8_t kDateMarker = 0x33;  // type 3 (date), eight bytes
constexpr std::size_t kHeaderSize = 8;      // "bplist00"

void appendBig(std::string& out, std::uint64_t value, int bytes) {
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

// A binary list holding `object` as its only, top object.
plist_t fromSingleObject(const std::string& object) {
    std::string list = "bplist00" + object;
    std::uint64_t offsetTable = list.size();
    appendBig(list, kHeaderSize, 8);  // the offset table: one eight-byte offset
    list.append(6, '\0');
    list += static_cast<char>(8);  // offset size
    list += static_cast<char>(1);  // object reference size
    appendBig(list, 1, 8);         // number of objects
    appendBig(list, 0, 8);         // top object
    appendBig(list, offsetTable, 8);
    plist_t node = nullptr;
    plist_from_bin(list.data(), static_cast<uint32_t>(list.size()), &node);
    return node;
}

}  // namespace

double dateNodeSeconds(plist_t node) {
    // The node alone, encoded as a binary list: its one object is the date,
    // right after the header.
    plist_t copy = plist_copy(node);
    char* bytes = nullptr;
    uint32_t length = 0;
    plist_to_bin(copy, &bytes, &length);
    plist_free(copy);
    double seconds = 0;
    if (bytes && length >= kHeaderSize + 9 && static_cast<std::uint8_t>(bytes[kHeaderSize]) == kDateMarker) {
        std::uint64_t bits = 0;
        for (int i = 1; i <= 8; ++i) bits = bits << 8 | static_cast<std::uint8_t>(bytes[kHeaderSize + i]);
        std::memcpy(&seconds, &bits, sizeof seconds);
    }
    std::free(bytes);
    return seconds;
}

plist_t newDateNode(double secondsSinceReferenceDate) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &secondsSinceReferenceDate, sizeof bits);
    std::string object(1, static_cast<char>(kDateMarker));
    appendBig(object, bits, 8);
    return fromSingleObject(object);
}

}  // namespace foundation::detail
