// One conversion directive of a format, as the platform's format grammar
// spells it:
//
//   %[position$][flags][width][.precision][length]conversion
//
// flags are any of "-+ #0'"; width and precision are digits, "*" (taken from
// the next argument) or "*m$" (taken from argument m); length is one of hh, h,
// l, ll, q, z, t, j, L. Positions count from 1.
#pragma once

#include "platform/foundation/ErrorOr.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace foundation {

enum class LengthModifier { None, Char, Short, Long, LongLong, Size, PtrDiff, IntMax, LongDouble };

// A width or precision: written out, from the next argument, or from a numbered one.
struct FieldSize {
    enum class Source { Absent, Literal, NextArgument, Position } source = Source::Absent;
    std::size_t value = 0;  // the number written, or the argument's position
};

struct FormatDirective {
    std::size_t length = 0;               // bytes of the format the directive spans, from its '%'
    std::optional<std::size_t> position;  // "%2$d" names argument 2
    std::string flags;
    FieldSize width;
    FieldSize precision;  // Literal 0 for a lone "."
    LengthModifier lengthModifier = LengthModifier::None;
    char conversion = 0;

    bool usesPositions() const {
        return position || width.source == FieldSize::Source::Position ||
               precision.source == FieldSize::Source::Position;
    }
    bool usesNextArgument() const {
        return !position || width.source == FieldSize::Source::NextArgument ||
               precision.source == FieldSize::Source::NextArgument;
    }
};

// Widths and precisions above this are refused: no message needs a field of
// more than 64 KiB, and the bound keeps one directive's output small.
inline constexpr std::size_t kMaximumFieldSize = 1 << 16;

// Parses the directive at the start of `text`, which begins with '%'. Fails
// (Malformed) for a directive that breaks off or names no known conversion;
// "%%" parses as the conversion '%'.
ErrorOr<FormatDirective> parseFormatDirective(std::string_view text);

}  // namespace foundation
