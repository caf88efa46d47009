#include "platform/foundation/FormatConversion.h"

#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdio>

namespace foundation {

namespace {

const char* kindOf(const FormatArgument& argument) {
    switch (argument.index()) {
    case 0: return "text";
    case 1: return "a signed integer";
    case 2: return "an unsigned integer";
    case 3: return "a floating-point number";
    default: return "a pointer";
    }
}

Error wrongType(const FormatDirective& directive, const FormatArgument& argument) {
    return Error{ErrorCode::InvalidArgument,
                 std::string("%") + directive.conversion + " cannot take " + kindOf(argument)};
}

// The directive as snprintf reads it, with width and precision written out.
std::string printfDirective(const ResolvedField& field, std::string_view length, char conversion) {
    std::string directiveText(1, '%');
    directiveText += field.flags;
    if (field.width) directiveText += std::to_string(*field.width);
    if (field.precision) {
        directiveText += '.';
        directiveText += std::to_string(*field.precision);
    }
    directiveText += length;
    directiveText += conversion;
    return directiveText;
}

template <typename T>
ErrorOr<std::string> runSnprintf(const std::string& directiveText, T value) {
    int needed = std::snprintf(nullptr, 0, directiveText.c_str(), value);
    if (needed < 0) return Error{ErrorCode::InvalidArgument, "the C library cannot format " + directiveText};
    std::string out(static_cast<std::size_t>(needed), '\0');
    std::snprintf(out.data(), out.size() + 1, directiveText.c_str(), value);
    return out;
}

// Bits of the integer type a length modifier names; 0 where it names none.
unsigned integerBits(LengthModifier modifier) {
    switch (modifier) {
    case LengthModifier::None: return CHAR_BIT * sizeof(int);
    case LengthModifier::Char: return CHAR_BIT * sizeof(char);
    case LengthModifier::Short: return CHAR_BIT * sizeof(short);
    case LengthModifier::Long: return CHAR_BIT * sizeof(long);
    case LengthModifier::LongLong: return CHAR_BIT * sizeof(long long);
    case LengthModifier::Size: return CHAR_BIT * sizeof(std::size_t);
    case LengthModifier::PtrDiff: return CHAR_BIT * sizeof(std::ptrdiff_t);
    case LengthModifier::IntMax: return CHAR_BIT * sizeof(std::intmax_t);
    case LengthModifier::LongDouble: return 0;
    }
    return 0;
}

// The argument as the C type the directive names would hold it, as a bit
// pattern of `bits` bits. hh and h narrow by definition (the C library
// converts the promoted int); any other type must hold the value, or the
// caller passed a wider type than the directive says, which would misprint.
ErrorOr<std::uint64_t> integerPattern(const FormatDirective& directive, const FormatArgument& argument, unsigned bits) {
    bool narrows = directive.lengthModifier == LengthModifier::Char ||
                   directive.lengthModifier == LengthModifier::Short;
    std::uint64_t pattern;
    bool fits = true;
    if (auto* s = std::get_if<std::int64_t>(&argument)) {
        pattern = static_cast<std::uint64_t>(*s);
        if (bits < 64) fits = *s >= -(std::int64_t{1} << (bits - 1)) && *s < (std::int64_t{1} << bits);
    } else if (auto* u = std::get_if<std::uint64_t>(&argument)) {
        pattern = *u;
        if (bits < 64) fits = *u < (std::uint64_t{1} << bits);
    } else {
        return wrongType(directive, argument);
    }
    if (!fits && !narrows) {
        std::string message(1, '%');
        message += directive.conversion;
        message += " cannot hold ";
        message += std::holds_alternative<std::int64_t>(argument) ? std::to_string(std::get<std::int64_t>(argument))
                                                                  : std::to_string(pattern);
        return Error{ErrorCode::InvalidArgument, std::move(message)};
    }
    if (bits < 64) pattern &= (std::uint64_t{1} << bits) - 1;
    return pattern;
}

ErrorOr<std::string> formatInteger(const FormatDirective& directive, const ResolvedField& field,
                                   const FormatArgument& argument) {
    unsigned bits = integerBits(directive.lengthModifier);
    if (bits == 0) return Error{ErrorCode::InvalidArgument, "L applies to floating-point conversions only"};
    std::uint64_t value = TRY(integerPattern(directive, argument, bits));
    if (directive.conversion == 'd' || directive.conversion == 'i') {
        // Sign-extend from the named type's width.
        if (bits < 64 && (value >> (bits - 1)) & 1) value |= ~std::uint64_t{0} << bits;
        return runSnprintf(printfDirective(field, "ll", directive.conversion), static_cast<long long>(value));
    }
    return runSnprintf(printfDirective(field, "ll", directive.conversion), static_cast<unsigned long long>(value));
}

ErrorOr<std::string> formatCharacter(const FormatDirective& directive, const ResolvedField& field,
                                     const FormatArgument& argument) {
    // A wide character would need the locale's multibyte encoding, which this system never sets.
    if (directive.lengthModifier != LengthModifier::None)
        return Error{ErrorCode::InvalidArgument, "%c takes no length modifier here"};
    std::uint64_t pattern = TRY(integerPattern(directive, argument, CHAR_BIT * sizeof(int)));
    return runSnprintf(printfDirective(field, "", 'c'), static_cast<int>(static_cast<unsigned char>(pattern)));
}

ErrorOr<std::string> formatFloating(const FormatDirective& directive, const ResolvedField& field,
                                    const FormatArgument& argument) {
    auto* value = std::get_if<double>(&argument);
    if (!value) return wrongType(directive, argument);
    switch (directive.lengthModifier) {
    case LengthModifier::None:
    case LengthModifier::Long: return runSnprintf(printfDirective(field, "", directive.conversion), *value);
    case LengthModifier::LongDouble:
        return runSnprintf(printfDirective(field, "L", directive.conversion), static_cast<long double>(*value));
    default: return Error{ErrorCode::InvalidArgument, "an integer length modifier on a floating-point conversion"};
    }
}

// Bytes of the first `characters` UTF-8 characters of `text` (all of it when shorter).
std::size_t bytesOfCharacters(std::string_view text, std::size_t characters) {
    std::size_t at = 0;
    for (std::size_t counted = 0; at < text.size(); ++at) {
        bool startsCharacter = (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80;
        if (startsCharacter && counted++ == characters) break;
    }
    return at;
}

std::size_t characterCount(std::string_view text) {
    std::size_t count = 0;
    for (char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

// Text cut to the precision and padded to the width: in bytes for %s, as the
// C library counts, and in characters for %@, as the platform counts.
std::string fitText(std::string text, const FormatDirective& directive, const ResolvedField& field) {
    bool byCharacters = directive.conversion == '@';
    if (field.precision)
        text.resize(byCharacters ? bytesOfCharacters(text, *field.precision) : std::min(text.size(), *field.precision));
    std::size_t length = byCharacters ? characterCount(text) : text.size();
    if (!field.width || *field.width <= length) return text;
    std::string padding(*field.width - length, ' ');
    bool leftJustified = field.flags.find('-') != std::string::npos;
    return leftJustified ? text + padding : padding + text;
}

std::string pointerText(const void* pointer) {
    char digits[2 + 2 * sizeof(void*) + 1];
    std::snprintf(digits, sizeof digits, "0x%llx",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(pointer)));
    return digits;
}

// What %@ shows for each kind of argument: a number's description is its
// shortest decimal form, as the platform's number objects describe themselves.
std::string objectDescription(const FormatArgument& argument) {
    if (auto* text = std::get_if<std::string>(&argument)) return *text;
    if (auto* s = std::get_if<std::int64_t>(&argument)) return std::to_string(*s);
    if (auto* u = std::get_if<std::uint64_t>(&argument)) return std::to_string(*u);
    if (auto* d = std::get_if<double>(&argument)) {
        char buffer[32];
        auto result = std::to_chars(buffer, buffer + sizeof buffer, *d);
        return std::string(buffer, result.ptr);
    }
    return pointerText(std::get<const void*>(argument));
}

}  // namespace

ErrorOr<std::string> formatConversion(const FormatDirective& directive, const ResolvedField& field,
                                      const FormatArgument& argument) {
    switch (directive.conversion) {
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'X':
    case 'o': return formatInteger(directive, field, argument);
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G':
    case 'a':
    case 'A': return formatFloating(directive, field, argument);
    case 'c': return formatCharacter(directive, field, argument);
    default: break;
    }
    if (directive.lengthModifier != LengthModifier::None)
        return Error{ErrorCode::InvalidArgument, std::string("%") + directive.conversion + " takes no length modifier"};
    switch (directive.conversion) {
    case 's':
        if (!std::holds_alternative<std::string>(argument)) return wrongType(directive, argument);
        return fitText(std::get<std::string>(argument), directive, field);
    case '@': return fitText(objectDescription(argument), directive, field);
    case 'p':
        if (!std::holds_alternative<const void*>(argument)) return wrongType(directive, argument);
        return fitText(pointerText(std::get<const void*>(argument)), directive, {field.flags, field.width, {}});
    default: return Error{ErrorCode::InvalidArgument, std::string("no conversion '") + directive.conversion + "'"};
    }
}

}  // namespace foundation
