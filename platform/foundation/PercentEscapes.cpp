#include "platform/foundation/PercentEscapes.h"

#include <utf8proc.h>

namespace {

using Units = std::u16string;

bool isSurrogateHigh(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isSurrogateLow(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The platform's strings are UTF-16; ours are UTF-8. Nothing for text that is
// not valid UTF-8 (utf8proc refuses overlong forms and encoded surrogates).
std::optional<Units> utf16FromUtf8(std::string_view text) {
    Units units;
    units.reserve(text.size());
    const auto* bytes = reinterpret_cast<const utf8proc_uint8_t*>(text.data());
    utf8proc_ssize_t offset = 0, length = static_cast<utf8proc_ssize_t>(text.size());
    while (offset < length) {
        utf8proc_int32_t codePoint = 0;
        utf8proc_ssize_t read = utf8proc_iterate(bytes + offset, length - offset, &codePoint);
        if (read <= 0) return std::nullopt;
        offset += read;
        if (codePoint >= 0x10000) {
            codePoint -= 0x10000;
            units.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(codePoint));
        }
    }
    return units;
}

void appendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

// The URL-legal characters: ASCII letters, digits and !$&'()*+,-./:;=?@_~.
bool isURLLegalCharacter(char16_t unit) {
    if (unit >= 0x80) return false;
    char c = static_cast<char>(unit);
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
    return std::string_view("!$&'()*+,-./:;=?@_~").find(c) != std::string_view::npos;
}

bool contains(const std::optional<Units>& set, char16_t unit) { return set && set->find(unit) != Units::npos; }

// The bytes of one character (a code point) in `encoding`; nothing when the
// encoding cannot write it.
std::optional<std::string> encodeCharacter(char32_t codePoint, CFStringEncoding encoding) {
    std::string bytes;
    switch (encoding) {
    case kCFStringEncodingUTF8: appendUtf8(bytes, codePoint); return bytes;
    case kCFStringEncodingASCII:
        if (codePoint >= 0x80) return std::nullopt;
        return std::string(1, static_cast<char>(codePoint));
    case kCFStringEncodingISOLatin1:
        if (codePoint >= 0x100) return std::nullopt;
        return std::string(1, static_cast<char>(codePoint));
    default: return std::nullopt;
    }
}

void appendPercentEscaped(std::string& out, std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (unsigned char byte : bytes) {
        out += '%';
        out += kHex[byte >> 4];
        out += kHex[byte & 0x0F];
    }
}

}  // namespace

std::optional<std::string> CFURLCreateStringByAddingPercentEscapes(
    CFAllocatorRef, std::optional<std::string_view> originalString,
    std::optional<std::string_view> charactersToLeaveUnescaped,
    std::optional<std::string_view> legalURLCharactersToBeEscaped, CFStringEncoding encoding) {
    if (!originalString) return std::nullopt;
    std::optional<Units> original = utf16FromUtf8(*originalString);
    if (!original) return std::nullopt;
    std::optional<Units> leave, escape;
    if (charactersToLeaveUnescaped && !(leave = utf16FromUtf8(*charactersToLeaveUnescaped))) return std::nullopt;
    if (legalURLCharactersToBeEscaped && !(escape = utf16FromUtf8(*legalURLCharactersToBeEscaped))) return std::nullopt;

    std::string out;
    out.reserve(originalString->size());
    const Units& units = *original;
    for (std::size_t i = 0; i < units.size(); ++i) {
        char16_t unit = units[i];
        // The leave set only spares illegal characters; the escape set only
        // catches legal ones.
        bool escapeIt = isURLLegalCharacter(unit) ? contains(escape, unit) : !contains(leave, unit);
        if (!escapeIt) {
            // A kept high surrogate stands only if its low half is kept too;
            // on its own half a pair can be written in no encoding.
            if (isSurrogateHigh(unit) && i + 1 < units.size() && isSurrogateLow(units[i + 1]) &&
                contains(leave, units[i + 1])) {
                appendUtf8(out, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (units[i + 1] - 0xDC00));
                ++i;
            } else if (!isSurrogateHigh(unit) && !isSurrogateLow(unit)) {
                appendUtf8(out, unit);
            } else {
                return std::nullopt;
            }
            continue;
        }
        // A high surrogate takes its low half along, as one character.
        char32_t codePoint = unit;
        if (isSurrogateHigh(unit)) {
            if (i + 1 >= units.size() || !isSurrogateLow(units[i + 1])) return std::nullopt;
            codePoint = 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (isSurrogateLow(unit)) {
            return std::nullopt;
        }
        std::optional<std::string> bytes = encodeCharacter(codePoint, encoding);
        if (!bytes) return std::nullopt;
        appendPercentEscaped(out, *bytes);
    }
    return out;
}
