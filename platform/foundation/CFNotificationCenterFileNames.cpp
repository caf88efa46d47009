#include "platform/foundation/CFNotificationCenterFileNames.h"

namespace foundation {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool needsEscape(unsigned char byte, bool first) {
    return byte == '/' || byte == '%' || byte < 0x20 || byte == 0x7F || (first && byte == '.');
}

// The value of an upper-case hex digit; lower case is refused, since the
// encoder never writes it and a second spelling must not decode.
int hexValue(char digit) {
    if (digit >= '0' && digit <= '9') return digit - '0';
    if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
    return -1;
}

}  // namespace

ErrorOr<std::string> notificationFileName(std::string_view name) {
    if (name.empty()) return makeError(ErrorCode::InvalidArgument, "an empty name has no file name");
    // Names travel as C strings: a zero byte would cut the name observers see.
    if (name.find('\0') != std::string_view::npos)
        return makeError(ErrorCode::InvalidArgument, "a name cannot hold a zero byte");
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        auto byte = static_cast<unsigned char>(name[i]);
        if (needsEscape(byte, i == 0)) {
            out += '%';
            out += kHexDigits[byte >> 4];
            out += kHexDigits[byte & 15];
        } else {
            out += static_cast<char>(byte);
        }
    }
    if (out.size() > kLongestNotificationFileName)
        return makeError(ErrorCode::TooLarge,
                         "the name takes " + std::to_string(out.size()) + " bytes as a file name, more than the " +
                             std::to_string(kLongestNotificationFileName) + " a file name may have");
    return out;
}

std::optional<std::string> notificationNameFromFile(std::string_view fileName) {
    if (fileName.empty() || fileName.size() > kLongestNotificationFileName) return std::nullopt;
    std::string name;
    name.reserve(fileName.size());
    for (std::size_t i = 0; i < fileName.size(); ++i) {
        auto byte = static_cast<unsigned char>(fileName[i]);
        if (byte != '%') {
            if (needsEscape(byte, name.empty())) return std::nullopt;
            name += static_cast<char>(byte);
            continue;
        }
        if (fileName.size() - i < 3) return std::nullopt;
        int high = hexValue(fileName[i + 1]), low = hexValue(fileName[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        auto decoded = static_cast<unsigned char>(high << 4 | low);
        // An escape of a byte that stands for itself is a second spelling,
        // and no name holds a zero byte.
        if (decoded == 0 || !needsEscape(decoded, name.empty())) return std::nullopt;
        name += static_cast<char>(decoded);
        i += 2;
    }
    return name;
}

}  // namespace foundation
