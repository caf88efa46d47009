#include "platform/foundation/Format.h"

#include <cstdio>

namespace foundation {

std::string formatWithArguments(std::string_view format, const std::vector<FormatArgument>& arguments) {
    std::string out;
    std::size_t next = 0;
    auto argument = [&]() -> const FormatArgument* { return next < arguments.size() ? &arguments[next++] : nullptr; };
    auto asText = [](const FormatArgument* value) -> std::string {
        if (!value) return "(null)";
        if (auto* s = std::get_if<std::string>(value)) return *s;
        if (auto* i = std::get_if<std::int64_t>(value)) return std::to_string(*i);
        if (auto* u = std::get_if<std::uint64_t>(value)) return std::to_string(*u);
        if (auto* d = std::get_if<double>(value)) {
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, "%f", *d);
            return buffer;
        }
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%p", std::get<const void*>(*value));
        return buffer;
    };
    for (std::size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c != '%' || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        std::size_t j = i + 1;
        while (j < format.size() && (format[j] == 'l' || format[j] == 'h' || format[j] == 'z' || format[j] == 'q')) ++j;
        if (j >= format.size()) {
            out.append(format.substr(i));
            break;
        }
        switch (format[j]) {
        case '%': out += '%'; break;
        case '@': case 's': case 'd': case 'i': case 'u': case 'f': case 'p': out += asText(argument()); break;
        default: out.append(format.substr(i, j - i + 1)); break;
        }
        i = j;
    }
    return out;
}

}  // namespace foundation
