// `CFURLCreateStringByAddingPercentEscapes`, with the platform's exact rule.
//
// The text is looked at in UTF-16 code units, as the platform does. A unit is
// escaped when it may not stand in a URL and is not among the characters to
// leave unescaped, or when it may stand in a URL and is among the legal
// characters to escape. Only these ASCII characters may stand in a URL:
//   A-Z a-z 0-9 ! $ & ' ( ) * + , - . / : ; = ? @ _ ~
// so controls, space, " # % < > [ \ ] ^ ` { | }, DEL and everything outside
// ASCII are escaped unless left unescaped on purpose; "%" itself becomes
// "%25" (escaped text is escaped again). An escaped character becomes its
// bytes in the given encoding, each written "%" and two upper-case hex
// digits; a surrogate pair is encoded as the one character it stands for.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct __CFAllocator;
using CFAllocatorRef = const __CFAllocator*;
// Every allocation here is the process's own; the argument is accepted for
// the platform's signature.
inline constexpr CFAllocatorRef kCFAllocatorDefault = nullptr;

using CFStringEncoding = std::uint32_t;
inline constexpr CFStringEncoding kCFStringEncodingUTF8 = 0x08000100;
inline constexpr CFStringEncoding kCFStringEncodingASCII = 0x0600;
inline constexpr CFStringEncoding kCFStringEncodingISOLatin1 = 0x0201;

// Strings are UTF-8 here; an absent string stands for NULL. Answers NULL for
// an absent original, for text that is not valid UTF-8, and when a character
// that must be escaped cannot be written in `encoding` (any character, for an
// encoding other than the three above). Empty text, and text with nothing to
// escape, come back unchanged.
std::optional<std::string> CFURLCreateStringByAddingPercentEscapes(
    CFAllocatorRef allocator, std::optional<std::string_view> originalString,
    std::optional<std::string_view> charactersToLeaveUnescaped,
    std::optional<std::string_view> legalURLCharactersToBeEscaped, CFStringEncoding encoding);
