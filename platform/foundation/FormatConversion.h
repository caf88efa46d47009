// Formats one argument by one directive whose width and precision are known.
// Numbers go through the C library's snprintf, which implements exactly the
// platform's grammar for them; text and objects are padded and cut here, so
// that text holding zero bytes comes out whole.
#pragma once

#include "platform/foundation/ErrorOr.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/FormatDirective.h"

#include <cstddef>
#include <optional>
#include <string>

namespace foundation {

struct ResolvedField {
    std::string flags;
    std::optional<std::size_t> width;
    std::optional<std::size_t> precision;
};

// The directive's text for `argument`, or an error naming why the argument
// cannot be formatted so (InvalidArgument for a value of the wrong type or
// out of the conversion's range).
ErrorOr<std::string> formatConversion(const FormatDirective& directive, const ResolvedField& field,
                                      const FormatArgument& argument);

}  // namespace foundation
