// Arguments are bound to directives here; a directive that cannot be
// formatted is logged and copied into the output as written, and still uses
// up its arguments, so that every later directive gets the argument meant for
// it and no value is ever printed in another's place.
#include "platform/foundation/Format.h"

#include "platform/foundation/FormatConversion.h"
#include "platform/foundation/FormatDirective.h"
#include "platform/foundation/NSLog.h"

namespace foundation {

namespace {

// Hands out arguments either in order or by position; a format must keep to one way.
class ArgumentBinder {
public:
    explicit ArgumentBinder(const std::vector<FormatArgument>& arguments) : arguments_(arguments) {}

    // Fails when the directive mixes the two ways with the format's earlier directives.
    ErrorOr<void> checkStyle(const FormatDirective& directive) {
        bool positional = directive.usesPositions();
        if (positional && directive.usesNextArgument())
            return Error{ErrorCode::InvalidArgument, "mixes numbered and unnumbered arguments"};
        if (!positional_) positional_ = positional;
        if (*positional_ != positional)
            return Error{ErrorCode::InvalidArgument, "mixes numbered and unnumbered arguments in one format"};
        return {};
    }

    // Position 0 stands for "the next one".
    ErrorOr<const FormatArgument*> argument(std::size_t position) {
        std::size_t index = position == 0 ? next_++ : position - 1;
        if (index >= arguments_.size())
            return Error{ErrorCode::InvalidArgument, "argument " + std::to_string(index + 1) + " is missing"};
        return &arguments_[index];
    }

private:
    const std::vector<FormatArgument>& arguments_;
    std::size_t next_ = 0;
    std::optional<bool> positional_;
};

// A width or precision given as an argument must be an int; a negative width
// means left-justified, a negative precision means none.
ErrorOr<std::optional<long long>> fieldSize(const FieldSize& field, ArgumentBinder& binder) {
    if (field.source == FieldSize::Source::Absent) return std::optional<long long>{};
    if (field.source == FieldSize::Source::Literal)
        return std::optional<long long>{static_cast<long long>(field.value)};
    auto argument = binder.argument(field.source == FieldSize::Source::Position ? field.value : 0);
    const FormatArgument* value = TRY(std::move(argument));
    long long size;
    if (auto* s = std::get_if<std::int64_t>(value)) size = *s;
    else if (auto* u = std::get_if<std::uint64_t>(value); u && *u <= kMaximumFieldSize)
        size = static_cast<long long>(*u);
    else return Error{ErrorCode::InvalidArgument, "a '*' field needs an integer argument"};
    if (size > static_cast<long long>(kMaximumFieldSize) || size < -static_cast<long long>(kMaximumFieldSize))
        return Error{ErrorCode::TooLarge, "a '*' field of " + std::to_string(size)};
    return std::optional<long long>{size};
}

ErrorOr<std::string> formatDirective(const FormatDirective& directive, ArgumentBinder& binder) {
    if (directive.conversion == '%') return std::string("%");
    TRY(binder.checkStyle(directive));
    // Width and precision arguments come before the value, as in C. All three
    // are taken before any is judged, so a refusal uses up what it was given.
    auto width = fieldSize(directive.width, binder);
    auto precision = fieldSize(directive.precision, binder);
    auto argument = binder.argument(directive.position.value_or(0));

    ResolvedField field{directive.flags, {}, {}};
    if (auto w = TRY(std::move(width))) {
        if (*w < 0) field.flags += '-';
        field.width = static_cast<std::size_t>(*w < 0 ? -*w : *w);
    }
    if (auto p = TRY(std::move(precision)); p && *p >= 0) field.precision = static_cast<std::size_t>(*p);
    return formatConversion(directive, field, *TRY(std::move(argument)));
}

}  // namespace

std::string formatWithArguments(std::string_view format, const std::vector<FormatArgument>& arguments) {
    std::string out;
    ArgumentBinder binder(arguments);
    for (std::size_t i = 0; i < format.size();) {
        std::size_t percent = format.find('%', i);
        out.append(format.substr(i, percent - i));
        if (percent == std::string_view::npos) break;

        std::string_view rest = format.substr(percent);
        auto directive = parseFormatDirective(rest);
        if (!directive.ok()) {
            // Nothing after the '%' can be trusted to be the directive's, so
            // only the '%' itself is copied and reading goes on after it.
            logMessage("stringWithFormat: " + directive.error().message + " in \"" + std::string(format) +
                       "\"; copied as written");
            out += '%';
            i = percent + 1;
            continue;
        }
        std::string_view written = rest.substr(0, directive->length);
        auto text = formatDirective(directive.value(), binder);
        if (text.ok()) {
            out += text.value();
        } else {
            logMessage("stringWithFormat: " + std::string(written) + " " + text.error().message + " in \"" +
                       std::string(format) + "\"; copied as written");
            out += written;
        }
        i = percent + directive->length;
    }
    return out;
}

}  // namespace foundation
