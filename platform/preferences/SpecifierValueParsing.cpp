#include "platform/preferences/SpecifierValueParsing.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <string>

namespace preferences {

namespace {

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::optional<double> number(std::string_view text) {
    std::string copy(text);
    if (copy.empty()) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    double value = std::strtod(copy.c_str(), &end);
    if (errno != 0 || end != copy.c_str() + copy.size()) return std::nullopt;
    return value;
}

std::string shown(const foundation::PlistValue& value) {
    return value.string() ? *value.string() : value.description();
}

}  // namespace

foundation::ErrorOr<foundation::PlistValue> valueFromText(const PSSpecifier& specifier, std::string_view text) {
    using foundation::ErrorCode;
    using foundation::makeError;
    // Built by appending: GCC 12 warns wrongly about "literal" + string here.
    std::string row(1, '"');
    row += specifier.identifier();
    row += '"';
    switch (specifier.cellType()) {
    case PSSwitchCell: {
        std::string word = lower(text);
        if (word == "on" || word == "true" || word == "yes" || word == "1") return foundation::PlistValue(true);
        if (word == "off" || word == "false" || word == "no" || word == "0") return foundation::PlistValue(false);
        return makeError(ErrorCode::InvalidArgument,
                         row + " is a switch: it takes on or off, not \"" + std::string(text) + "\"");
    }
    case PSEditTextCell:
    case PSSecureEditTextCell:
    case PSEditTextViewCell: {
        const foundation::PlistValue* numeric = specifier.propertyForKey("isNumeric");
        if (numeric && numeric->boolValue().value_or(false)) {
            auto parsed = number(text);
            if (!parsed)
                return makeError(ErrorCode::InvalidArgument,
                                 row + " takes a number, not \"" + std::string(text) + "\"");
            return foundation::PlistValue(*parsed);
        }
        return foundation::PlistValue(std::string(text));
    }
    case PSSliderCell: {
        auto parsed = number(text);
        if (!parsed) return makeError(ErrorCode::InvalidArgument, row + " is a slider: it takes a number");
        const foundation::PlistValue* minimum = specifier.propertyForKey("min");
        const foundation::PlistValue* maximum = specifier.propertyForKey("max");
        if ((minimum && minimum->real() && *parsed < *minimum->real()) ||
            (maximum && maximum->real() && *parsed > *maximum->real()))
            return makeError(ErrorCode::InvalidArgument, row + " takes a number between its minimum and maximum");
        return foundation::PlistValue(*parsed);
    }
    case PSLinkListCell:
    case PSSegmentCell: {
        if (!specifier.values() || specifier.values()->empty())
            return makeError(ErrorCode::InvalidArgument, row + " offers no choices");
        // A choice is named by its stored value or by its (short) title.
        std::string choices;
        for (const auto& value : *specifier.values()) {
            if (shown(value) == text) return value;
            for (const auto* titles : {&specifier.titleDictionary(), &specifier.shortTitleDictionary()}) {
                if (!*titles) continue;
                if (const std::string* title = titleForValue(**titles, value); title && *title == text) return value;
            }
            choices += (choices.empty() ? "" : ", ") + shown(value);
        }
        return makeError(ErrorCode::InvalidArgument, row + " takes one of: " + choices);
    }
    default:
        return makeError(ErrorCode::InvalidArgument,
                         row + " is a " + cellTypeName(specifier.cellType()) + " row: it has no value to change");
    }
}

}  // namespace preferences
