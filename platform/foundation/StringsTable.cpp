#include "platform/foundation/StringsTable.h"

#include "platform/foundation/PropertyListFormats.h"

namespace foundation {

void appendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    std::size_t at = 0;
    if (bytes.size() >= 2) {
        auto b0 = static_cast<unsigned char>(bytes[0]), b1 = static_cast<unsigned char>(bytes[1]);
        if (b0 == 0xFF && b1 == 0xFE) {
            bigEndian = false;
            at = 2;
        } else if (b0 == 0xFE && b1 == 0xFF) {
            bigEndian = true;
            at = 2;
        }
    }
    return utf16UnitsToUtf8(bytes.substr(at), bigEndian);
}

std::string utf16UnitsToUtf8(std::string_view bytes, bool bigEndian) {
    std::size_t at = 0;
    auto unit = [&](std::size_t i) -> std::uint32_t {
        auto hi = static_cast<unsigned char>(bytes[i]), lo = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (hi << 8 | lo) : (lo << 8 | hi);
    };
    std::string out;
    while (at + 1 < bytes.size()) {
        std::uint32_t code = unit(at);
        at += 2;
        if (code >= 0xD800 && code < 0xDC00) {
            if (at + 1 < bytes.size() && unit(at) >= 0xDC00 && unit(at) < 0xE000) {
                code = 0x10000 + ((code - 0xD800) << 10) + (unit(at) - 0xDC00);
                at += 2;
            } else {
                code = 0xFFFD;
            }
        } else if (code >= 0xDC00 && code < 0xE000) {
            code = 0xFFFD;
        }
        appendUtf8(out, code);
    }
    return out;
}

ErrorOr<StringsTable> parseStringsTable(std::string_view bytes) {
    // A table is a dictionary in any property-list encoding, the strings
    // form (braces left out) included; an empty file is an empty table.
    if (bytes.empty()) return StringsTable{};
    auto value = TRY(parsePropertyList(bytes, EmptyText::EmptyDictionary));
    if (!value.isDictionary()) return makeError(ErrorCode::Malformed, "strings table is not a dictionary");
    StringsTable table;
    for (const auto& [key, entry] : *value.dictionary())
        if (entry.string()) table.emplace(key, *entry.string());
    return table;
}

}  // namespace foundation
