#include "platform/foundation/PropertyList.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/PropertyListFormats.h"
#include "platform/foundation/RegularFile.h"
#include "platform/foundation/StringsTable.h"
#include "platform/foundation/SystemError.h"

#include <plist/plist.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace foundation {

PlistValue::PlistValue(std::uint64_t value) {
    if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
        storage_ = value;
    } else {
        storage_ = static_cast<std::int64_t>(value);
    }
}

std::optional<std::uint64_t> PlistValue::largeUnsignedInteger() const {
    if (auto* u = std::get_if<std::uint64_t>(&storage_)) return *u;
    return std::nullopt;
}

std::optional<std::int64_t> PlistValue::integer() const {
    if (auto* i = std::get_if<std::int64_t>(&storage_)) return *i;
    if (auto* u = std::get_if<std::uint64_t>(&storage_)) return static_cast<std::int64_t>(*u);
    if (auto* r = std::get_if<double>(&storage_)) return static_cast<std::int64_t>(*r);
    if (auto* b = std::get_if<bool>(&storage_)) return *b ? 1 : 0;
    return std::nullopt;
}

std::optional<double> PlistValue::real() const {
    if (auto* r = std::get_if<double>(&storage_)) return *r;
    if (auto* i = std::get_if<std::int64_t>(&storage_)) return static_cast<double>(*i);
    if (auto* u = std::get_if<std::uint64_t>(&storage_)) return static_cast<double>(*u);
    if (auto* b = std::get_if<bool>(&storage_)) return *b ? 1.0 : 0.0;
    return std::nullopt;
}

const PlistValue* PlistValue::objectForKey(std::string_view key) const {
    const Dictionary* dict = dictionary();
    if (!dict) return nullptr;
    auto it = dict->find(std::string(key));
    return it == dict->end() ? nullptr : &it->second;
}

namespace {
bool stringBoolValue(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    while (i < text.size() && text[i] == '0') ++i;
    if (i >= text.size()) return false;
    char c = text[i];
    return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}
}  // namespace

std::optional<bool> PlistValue::boolValue() const {
    switch (type()) {
    case Type::Boolean: return std::get<bool>(storage_);
    case Type::Integer: return *integer() != 0;
    case Type::Real: return std::get<double>(storage_) != 0.0;
    case Type::String: return stringBoolValue(std::get<std::string>(storage_));
    default: return std::nullopt;
    }
}

std::string PlistValue::description() const {
    std::ostringstream out;
    switch (type()) {
    case Type::Boolean: out << (std::get<bool>(storage_) ? "true" : "false"); break;
    case Type::Integer:
        if (auto large = largeUnsignedInteger()) {
            out << *large;
        } else {
            out << std::get<std::int64_t>(storage_);
        }
        break;
    case Type::Real: out << std::get<double>(storage_); break;
    case Type::String: out << '"' << std::get<std::string>(storage_) << '"'; break;
    case Type::Data: out << "<" << std::get<Data>(storage_).size() << " bytes>"; break;
    case Type::Date: out << "date(" << std::get<PlistDate>(storage_).secondsSinceReferenceDate << ")"; break;
    case Type::Array: {
        out << "(";
        bool first = true;
        for (const auto& item : std::get<Array>(storage_)) {
            out << (first ? "" : ", ") << item.description();
            first = false;
        }
        out << ")";
        break;
    }
    case Type::Dictionary: {
        out << "{";
        bool first = true;
        for (const auto& [key, item] : std::get<Dictionary>(storage_)) {
            out << (first ? " " : "; ") << key << " = " << item.description();
            first = false;
        }
        out << (first ? "}" : " }");
        break;
    }
    }
    return out.str();
}

namespace {

struct PlistDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistHandle = std::unique_ptr<std::remove_pointer_t<plist_t>, PlistDeleter>;

// libplist writes the binary lists that only this system reads (the photo
// library's metadata); property lists that others may have written are read
// and rewritten as XML by our own code (PropertyListXml.cpp).
plist_t toNode(const PlistValue& value) {
    using Type = PlistValue::Type;
    switch (value.type()) {
    case Type::Boolean: return plist_new_bool(*value.boolValue() ? 1 : 0);
    case Type::Integer:
        return plist_new_uint(value.largeUnsignedInteger().value_or(static_cast<uint64_t>(*value.integer())));
    case Type::Real: return plist_new_real(*value.real());
    case Type::String: return plist_new_string(value.string()->c_str());
    case Type::Data: {
        const auto& bytes = *value.data();
        return plist_new_data(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    case Type::Date: {
        double seconds = value.date()->secondsSinceReferenceDate;
        double whole = std::floor(seconds);
        return plist_new_date(static_cast<int32_t>(whole), static_cast<int32_t>((seconds - whole) * 1e6));
    }
    case Type::Array: {
        plist_t node = plist_new_array();
        for (const auto& item : *value.array()) plist_array_append_item(node, toNode(item));
        return node;
    }
    case Type::Dictionary: {
        plist_t node = plist_new_dict();
        for (const auto& [key, item] : *value.dictionary()) plist_dict_set_item(node, key.c_str(), toNode(item));
        return node;
    }
    }
    return plist_new_dict();
}

// XML opens with its declaration, a comment, a document type or an element;
// old-style data ("<0fbd>") opens with '<' too, but only hexadecimal digits
// and spaces follow it.
bool looksLikeXml(std::string_view text) {
    if (!text.starts_with('<') || text.size() < 2) return false;
    if (text[1] == '?' || text[1] == '!') return true;
    for (std::size_t i = 1; i < text.size() && std::isalpha(static_cast<unsigned char>(text[i])); ++i)
        if (!std::isxdigit(static_cast<unsigned char>(text[i]))) return true;
    return false;
}

// The text of a list as UTF-8: UTF-16 by its byte-order mark, or by a zero
// byte among the first two (the phone's readers take such text as UTF-16
// too); a UTF-8 mark is dropped.
std::string textAsUtf8(std::string_view bytes) {
    bool utf16Mark = bytes.size() >= 2 &&
                     ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
    bool zeroAtStart = bytes.size() >= 2 && (bytes[0] == '\0' || bytes[1] == '\0');
    if (utf16Mark || zeroAtStart) return utf16ToUtf8(bytes, bytes[0] == '\0');
    return std::string(bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes);
}

}  // namespace

ErrorOr<PlistValue> parsePropertyList(std::string_view bytes) { return parsePropertyList(bytes, EmptyText::Refused); }

ErrorOr<PlistValue> parsePropertyList(std::string_view bytes, EmptyText empty) {
    if (bytes.size() > kMaximumPropertyListBytes) return makeError(ErrorCode::TooLarge, "property list too large");
    if (bytes.empty()) return makeError(ErrorCode::Malformed, "empty property list");
    if (bytes.starts_with("bplist00")) return parseBinaryPropertyList(bytes);
    std::string text = textAsUtf8(bytes);
    // Text has no NUL character (a string that holds U+0000 writes it as a
    // reference); zero bytes after the text, a C string's terminator, are
    // dropped.
    text.erase(text.find_last_not_of('\0') + 1);
    if (text.find('\0') != std::string::npos)
        return makeError(ErrorCode::Malformed, "property list text holds a NUL character");
    std::string_view opening = text;
    opening.remove_prefix(std::min(opening.find_first_not_of(" \t\r\n"), opening.size()));
    if (looksLikeXml(opening)) return parseXmlPropertyList(opening);
    return parseOldStyleText(text, empty);
}

ErrorOr<PlistValue> readPropertyListFile(const std::filesystem::path& hostFile) {
    std::string bytes = TRY(readRegularFile(hostFile, kMaximumPropertyListBytes));
    return parsePropertyList(bytes);
}

ErrorOr<std::string> serializePropertyList(const PlistValue& value, PlistFormat format) {
    if (format == PlistFormat::XML) return xmlPropertyList(value);
    PlistHandle node(toNode(value));
    char* out = nullptr;
    uint32_t length = 0;
    plist_to_bin(node.get(), &out, &length);
    if (!out) return makeError(ErrorCode::Malformed, "cannot encode property list");
    std::string bytes(out, length);
    std::free(out);
    return bytes;
}

ErrorOr<void> writeFileAtomically(const std::filesystem::path& hostFile, std::string_view bytes) {
    std::filesystem::path temporary = hostFile;
    static std::atomic<unsigned> sequence{0};
    temporary += ".tmp." + std::to_string(::getpid()) + "." + std::to_string(sequence.fetch_add(1));
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return errorFromErrno(errno, temporary.string());
    const char* cursor = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t wrote = ::write(fd, cursor, left);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote < 0) {
            int saved = errno;
            ::close(fd);
            ::unlink(temporary.c_str());
            return errorFromErrno(saved, temporary.string());
        }
        cursor += wrote;
        left -= static_cast<std::size_t>(wrote);
    }
    // Readers must see the old file or the new one, never a part: the rename
    // gives that. Waiting for the disk as well (fsync) would cost a settings
    // change several milliseconds, and the phone's atomic writes do not wait
    // either; the write-back is only started here, so the new contents reach
    // the disk soon rather than whenever the system gets to them.
    (void)::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    if (::close(fd) != 0) {
        int saved = errno;
        ::unlink(temporary.c_str());
        return errorFromErrno(saved, temporary.string());
    }
    if (::rename(temporary.c_str(), hostFile.c_str()) != 0) {
        int saved = errno;
        ::unlink(temporary.c_str());
        return errorFromErrno(saved, hostFile.string());
    }
    return {};
}

ErrorOr<void> writePropertyListAtomically(const std::filesystem::path& hostFile, const PlistValue& value,
                                          PlistFormat format) {
    std::string bytes = TRY(serializePropertyList(value, format));
    return writeFileAtomically(hostFile, bytes);
}

std::optional<NSDictionary> dictionaryWithContentsOfFile(std::string_view devicePath) {
    auto value = readPropertyListFile(hostPath(devicePath));
    if (!value || !value->isDictionary()) return std::nullopt;
    return std::move(*value->dictionary());
}

}  // namespace foundation
