#include "platform/foundation/PropertyList.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/PlistNodes.h"
#include "platform/foundation/RegularFile.h"

#include <plist/plist.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace foundation {

std::optional<std::int64_t> PlistValue::integer() const {
    if (auto* i = std::get_if<std::int64_t>(&storage_)) return *i;
    if (auto* r = std::get_if<double>(&storage_)) return static_cast<std::int64_t>(*r);
    if (auto* b = std::get_if<bool>(&storage_)) return *b ? 1 : 0;
    return std::nullopt;
}

std::optional<double> PlistValue::real() const {
    if (auto* r = std::get_if<double>(&storage_)) return *r;
    if (auto* i = std::get_if<std::int64_t>(&storage_)) return static_cast<double>(*i);
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
    case Type::Integer: return std::get<std::int64_t>(storage_) != 0;
    case Type::Real: return std::get<double>(storage_) != 0.0;
    case Type::String: return stringBoolValue(std::get<std::string>(storage_));
    default: return std::nullopt;
    }
}

std::string PlistValue::description() const {
    std::ostringstream out;
    switch (type()) {
    case Type::Boolean: out << (std::get<bool>(storage_) ? "true" : "false"); break;
    case Type::Integer: out << std::get<std::int64_t>(storage_); break;
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

// The XML reader recurses once per level of nesting, so depth is checked
// before libplist sees the text: a hostile file must not exhaust the stack.
bool xmlNestingWithinLimit(std::string_view text) {
    int depth = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '<') continue;
        if (text.compare(i, 6, "<dict>") == 0 || text.compare(i, 7, "<array>") == 0) {
            if (++depth > kMaximumPropertyListDepth) return false;
        } else if (text.compare(i, 7, "</dict>") == 0 || text.compare(i, 8, "</array>") == 0) {
            --depth;
        }
    }
    return true;
}

// Binary lists are checked the same way, by walking object references. The
// walk also refuses a dictionary key that holds a zero byte: libplist's key
// getter asserts that a key holds none, and would abort the process.
bool binaryNestingWithinLimit(std::string_view bytes) {
    if (bytes.size() < 40) return true;  // Too short to nest; libplist rejects it.
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::uint8_t* trailer = data + bytes.size() - 32;
    unsigned offsetSize = trailer[6], refSize = trailer[7];
    auto readBig = [](const std::uint8_t* p, unsigned size) {
        std::uint64_t value = 0;
        for (unsigned i = 0; i < size; ++i) value = (value << 8) | p[i];
        return value;
    };
    std::uint64_t count = readBig(trailer + 8, 8), top = readBig(trailer + 16, 8), tableOffset = readBig(trailer + 24, 8);
    if (offsetSize == 0 || offsetSize > 8 || refSize == 0 || refSize > 8) return false;
    if (count == 0 || top >= count || tableOffset >= bytes.size() ||
        count > (bytes.size() - tableOffset) / offsetSize)
        return false;
    auto objectOffset = [&](std::uint64_t ref) -> std::optional<std::uint64_t> {
        if (ref >= count) return std::nullopt;
        std::uint64_t offset = readBig(data + tableOffset + ref * offsetSize, offsetSize);
        if (offset >= bytes.size() - 32) return std::nullopt;
        return offset;
    };
    // An object's marker: its kind, its length (item count, or string
    // length in bytes or UTF-16 units) and where its contents start.
    struct Marker {
        unsigned kind;
        std::uint64_t length;
        std::uint64_t position;
    };
    auto readMarker = [&](std::uint64_t offset) -> std::optional<Marker> {
        std::uint8_t marker = data[offset];
        Marker read{static_cast<unsigned>(marker >> 4), marker & 0x0Fu, offset + 1};
        if (read.length == 0x0F) {
            if (read.position >= bytes.size()) return std::nullopt;
            std::uint8_t intMarker = data[read.position];
            unsigned intBytes = 1u << (intMarker & 0x0F);
            if ((intMarker >> 4) != 0x1 || intBytes > 8 || read.position + 1 + intBytes > bytes.size())
                return std::nullopt;
            read.length = readBig(data + read.position + 1, intBytes);
            read.position += 1 + intBytes;
        }
        return read;
    };
    // Each key object is looked at once, however many dictionaries share it.
    std::vector<bool> keyChecked(count);
    auto keyHoldsZero = [&](std::uint64_t ref) {
        auto offset = objectOffset(ref);
        if (!offset || keyChecked[ref]) return false;  // A bad reference is libplist's to refuse.
        keyChecked[ref] = true;
        unsigned kind = data[*offset] >> 4;
        if (kind != 0x5 && kind != 0x6) return false;  // Not a string: libplist refuses it as a key.
        auto key = readMarker(*offset);
        if (!key) return false;
        const std::uint64_t unit = key->kind == 0x6 ? 2 : 1;
        if (key->length > (bytes.size() - key->position) / unit) return false;
        for (std::uint64_t i = 0; i < key->length; ++i) {
            const std::uint8_t* at = data + key->position + i * unit;
            if (at[0] == 0 && (unit == 1 || at[1] == 0)) return true;
        }
        return false;
    };
    // Iterative walk with an explicit stack of (object, depth).
    std::vector<std::pair<std::uint64_t, int>> pending{{top, 1}};
    std::size_t visits = 0;
    while (!pending.empty()) {
        auto [ref, depth] = pending.back();
        pending.pop_back();
        if (depth > kMaximumPropertyListDepth || ++visits > 4 * count + 16) return false;
        auto offset = objectOffset(ref);
        if (!offset) return false;
        unsigned kind = data[*offset] >> 4;
        if (kind != 0xA && kind != 0xD) continue;  // Only arrays and dictionaries nest.
        auto object = readMarker(*offset);
        if (!object) return false;
        std::uint64_t length = object->length, position = object->position;
        std::uint64_t refs = object->kind == 0xD ? length * 2 : length;
        if (refs > (bytes.size() - position) / refSize) return false;
        if (object->kind == 0xD)
            for (std::uint64_t i = 0; i < length; ++i)
                if (keyHoldsZero(readBig(data + position + i * refSize, refSize))) return false;
        for (std::uint64_t i = (object->kind == 0xD ? length : 0); i < refs; ++i)
            pending.emplace_back(readBig(data + position + i * refSize, refSize), depth + 1);
    }
    return true;
}

ErrorOr<PlistValue> fromNode(plist_t node, int depth) {
    if (depth > kMaximumPropertyListDepth) return makeError(ErrorCode::TooLarge, "property list nested too deeply");
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return PlistValue(value != 0);
    }
    case PLIST_UINT: {
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        // libplist keeps every integer in 64 unsigned bits; negatives wrap.
        return PlistValue(static_cast<std::int64_t>(value));
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return PlistValue(value);
    }
    case PLIST_STRING: {
        // A binary list's string may hold U+0000. libplist's copying getter
        // asserts that a string holds no zero byte, and so would abort the
        // process; the pointer and the length read the string whole.
        uint64_t length = 0;
        const char* value = plist_get_string_ptr(node, &length);
        return PlistValue(value ? std::string(value, length) : std::string());
    }
    case PLIST_DATA: {
        char* value = nullptr;
        uint64_t length = 0;
        plist_get_data_val(node, &value, &length);
        PlistValue::Data bytes(value, value + length);
        std::free(value);
        return PlistValue(std::move(bytes));
    }
    case PLIST_DATE: return PlistValue(PlistDate{detail::dateNodeSeconds(node)});
    case PLIST_UID: {
        uint64_t value = 0;
        plist_get_uid_val(node, &value);
        return PlistValue(static_cast<std::int64_t>(value));
    }
    case PLIST_ARRAY: {
        PlistValue::Array items;
        uint32_t size = plist_array_get_size(node);
        items.reserve(size);
        for (uint32_t i = 0; i < size; ++i) items.push_back(TRY(fromNode(plist_array_get_item(node, i), depth + 1)));
        return PlistValue(std::move(items));
    }
    case PLIST_DICT: {
        PlistValue::Dictionary items;
        plist_dict_iter iter = nullptr;
        plist_dict_new_iter(node, &iter);
        for (;;) {
            char* key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(node, iter, &key, &value);
            if (!value) {
                std::free(key);
                break;
            }
            std::string name = key ? key : "";
            std::free(key);
            auto converted = fromNode(value, depth + 1);
            if (!converted) {
                std::free(iter);
                return converted.error();
            }
            items.insert_or_assign(std::move(name), std::move(converted).value());
        }
        std::free(iter);
        return PlistValue(std::move(items));
    }
    default: return makeError(ErrorCode::Malformed, "unsupported property-list node");
    }
}

plist_t toNode(const PlistValue& value) {
    using Type = PlistValue::Type;
    switch (value.type()) {
    case Type::Boolean: return plist_new_bool(*value.boolValue() ? 1 : 0);
    case Type::Integer: return plist_new_uint(static_cast<uint64_t>(*value.integer()));
    case Type::Real: return plist_new_real(*value.real());
    case Type::String: return plist_new_string(value.string()->c_str());
    case Type::Data: {
        const auto& bytes = *value.data();
        return plist_new_data(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    case Type::Date: return detail::newDateNode(value.date()->secondsSinceReferenceDate);
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

}  // namespace

ErrorOr<PlistValue> parsePropertyList(std::string_view bytes) {
    if (bytes.size() > kMaximumPropertyListBytes) return makeError(ErrorCode::TooLarge, "property list too large");
    if (bytes.empty()) return makeError(ErrorCode::Malformed, "empty property list");
    bool binary = bytes.size() >= 8 && bytes.substr(0, 8) == "bplist00";
    if (!binary) {
        // XML has no NUL character: a zero byte inside the text makes it no
        // XML (libplist would cut strings at it and pad them with zeros).
        // Zero bytes after the text, a C string's terminator, are dropped.
        bytes = bytes.substr(0, bytes.find_last_not_of('\0') + 1);
        if (bytes.empty() || bytes.find('\0') != std::string_view::npos)
            return makeError(ErrorCode::Malformed, "property list text holds a NUL character");
    }
    if (binary ? !binaryNestingWithinLimit(bytes) : !xmlNestingWithinLimit(bytes))
        return makeError(ErrorCode::TooLarge, "property list nested too deeply or malformed");
    plist_t raw = nullptr;
    if (binary)
        plist_from_bin(bytes.data(), static_cast<uint32_t>(bytes.size()), &raw);
    else
        plist_from_xml(bytes.data(), static_cast<uint32_t>(bytes.size()), &raw);
    PlistHandle node(raw);
    if (!node) return makeError(ErrorCode::Malformed, "not a property list");
    return fromNode(node.get(), 1);
}

ErrorOr<PlistValue> readPropertyListFile(const std::filesystem::path& hostFile) {
    std::string bytes = TRY(readRegularFile(hostFile, kMaximumPropertyListBytes));
    return parsePropertyList(bytes);
}

ErrorOr<std::string> serializePropertyList(const PlistValue& value, PlistFormat format) {
    PlistHandle node(toNode(value));
    char* out = nullptr;
    uint32_t length = 0;
    if (format == PlistFormat::XML) {
        plist_to_xml(node.get(), &out, &length);
    } else {
        plist_to_bin(node.get(), &out, &length);
    }
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
    if (fd < 0) return makeError(ErrorCode::IOError, temporary.string() + ": " + std::strerror(errno));
    const char* cursor = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t wrote = ::write(fd, cursor, left);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote < 0) {
            int saved = errno;
            ::close(fd);
            ::unlink(temporary.c_str());
            return makeError(saved == ENOSPC || saved == EFBIG ? ErrorCode::NoSpace : ErrorCode::IOError,
                             temporary.string() + ": " + std::strerror(saved));
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
        return makeError(saved == ENOSPC || saved == EDQUOT ? ErrorCode::NoSpace : ErrorCode::IOError,
                         temporary.string() + ": " + std::strerror(saved));
    }
    if (::rename(temporary.c_str(), hostFile.c_str()) != 0) {
        int saved = errno;
        ::unlink(temporary.c_str());
        return makeError(ErrorCode::IOError, hostFile.string() + ": " + std::strerror(saved));
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
