// `stringWithFormat:` with the platform's format grammar: flags, width and
// precision (numbers, '*' or '*m$'), length modifiers, numbered arguments
// ("%2$@"), %% and the conversions @ s d i u x X o f F e E g G a A c p. %@
// shows an object's description, a string as it is, a number in decimal.
// A directive that cannot be formatted (an argument of the wrong type or
// missing, numbered and unnumbered arguments mixed) is logged and copied as
// written; the other directives still get their own arguments.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

namespace foundation {

using FormatArgument = std::variant<std::string, std::int64_t, std::uint64_t, double, const void*>;

std::string formatWithArguments(std::string_view format, const std::vector<FormatArgument>& arguments);

namespace detail {
template <typename T>
FormatArgument toFormatArgument(const T& value) {
    if constexpr (std::is_pointer_v<T> && std::is_convertible_v<const T&, std::string_view>) {
        return value ? std::string(value) : std::string("(null)");
    } else if constexpr (std::is_convertible_v<const T&, std::string_view>) {
        return std::string(std::string_view(value));
    } else if constexpr (std::is_same_v<T, bool>) {
        return std::int64_t{value};
    } else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>) {
        return std::int64_t{value};
    } else if constexpr (std::is_integral_v<T>) {
        return std::uint64_t{value};
    } else if constexpr (std::is_floating_point_v<T>) {
        return static_cast<double>(value);
    } else if constexpr (requires { value.description(); }) {
        return std::string(value.description());
    } else if constexpr (requires { value->description(); }) {
        return value ? std::string(value->description()) : std::string("(null)");
    } else if constexpr (std::is_pointer_v<T>) {
        return static_cast<const void*>(value);
    } else {
        return static_cast<const void*>(&value);
    }
}
}  // namespace detail

template <typename... Args>
std::string stringWithFormat(std::string_view format, const Args&... args) {
    return formatWithArguments(format, {detail::toFormatArgument(args)...});
}

}  // namespace foundation
