// Property-list values, as the phone's Foundation hands them out: a value of
// any of the seven property-list types, so that `objectForKey:` can return
// anything and the reader decides what to make of it.
#pragma once

#include "platform/foundation/ErrorOr.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace foundation {

struct PlistDate {
    // Seconds since 2001-01-01 00:00:00 UTC, the platform's reference date.
    double secondsSinceReferenceDate = 0;
    bool operator==(const PlistDate&) const = default;
};

class PlistValue {
public:
    using Array = std::vector<PlistValue>;
    using Dictionary = std::map<std::string, PlistValue>;
    using Data = std::vector<std::uint8_t>;
    enum class Type { Boolean, Integer, Real, String, Data, Date, Array, Dictionary };

    PlistValue() : storage_(Dictionary{}) {}
    PlistValue(bool value) : storage_(value) {}
    PlistValue(int value) : storage_(std::int64_t{value}) {}
    PlistValue(std::int64_t value) : storage_(value) {}
    // Integers above the signed 64-bit range are kept unsigned, so that a file
    // holding one is written back with the same number.
    PlistValue(std::uint64_t value);
    PlistValue(double value) : storage_(value) {}
    PlistValue(std::string value) : storage_(std::move(value)) {}
    PlistValue(const char* value) : storage_(std::string(value)) {}
    PlistValue(Data value) : storage_(std::move(value)) {}
    PlistValue(PlistDate value) : storage_(value) {}
    PlistValue(Array value) : storage_(std::move(value)) {}
    PlistValue(Dictionary value) : storage_(std::move(value)) {}

    Type type() const {
        return std::holds_alternative<std::uint64_t>(storage_) ? Type::Integer : static_cast<Type>(storage_.index());
    }
    bool isDictionary() const { return type() == Type::Dictionary; }
    bool isString() const { return type() == Type::String; }
    bool isArray() const { return type() == Type::Array; }

    const std::string* string() const { return std::get_if<std::string>(&storage_); }
    const Dictionary* dictionary() const { return std::get_if<Dictionary>(&storage_); }
    Dictionary* dictionary() { return std::get_if<Dictionary>(&storage_); }
    const Array* array() const { return std::get_if<Array>(&storage_); }
    const Data* data() const { return std::get_if<Data>(&storage_); }
    const PlistDate* date() const { return std::get_if<PlistDate>(&storage_); }
    // Any number as a signed integer; one above the signed range wraps, as
    // the platform's `longLongValue` answers it.
    std::optional<std::int64_t> integer() const;
    // An integer above the signed 64-bit range, which `integer()` wraps.
    std::optional<std::uint64_t> largeUnsignedInteger() const;
    std::optional<double> real() const;

    // `objectForKey:` on a dictionary: the value, or null when absent or when
    // this value is not a dictionary.
    const PlistValue* objectForKey(std::string_view key) const;

    // `boolValue` as the phone answers it: a boolean as is; a number is true
    // when non-zero; a string is true when, after leading white space and an
    // optional sign followed by zeros, it starts with Y, y, T, t or a digit
    // 1-9. Dates, data, arrays and dictionaries have no boolean meaning: empty.
    std::optional<bool> boolValue() const;

    // A readable one-line description, for tools and logs.
    std::string description() const;

    bool operator==(const PlistValue&) const = default;

private:
    // The alternatives up to Dictionary are in the order of `Type`; the
    // large unsigned integers come last and count as Type::Integer.
    std::variant<bool, std::int64_t, double, std::string, Data, PlistDate, Array, Dictionary, std::uint64_t> storage_;
};

using NSDictionary = PlistValue::Dictionary;

// Readable values in test failure messages.
inline void PrintTo(const PlistValue& value, std::ostream* out) { *out << value.description(); }

// Limits that keep a hostile property list from exhausting the process.
inline constexpr std::size_t kMaximumPropertyListBytes = 16 * 1024 * 1024;
inline constexpr int kMaximumPropertyListDepth = 256;

enum class PlistFormat { XML, Binary };

// Parses a property list in any encoding the phone's readers accept: binary,
// XML in UTF-8 or UTF-16 (by its byte-order mark, or a zero byte among the
// first two), and the old-style text form ("{ key = value; list = (a, b);
// data = <0fbd>; }", in the same encodings). Every reader of a property list
// in the system comes through here.
ErrorOr<PlistValue> parsePropertyList(std::string_view bytes);
// Reads a property-list file, given by its host path.
ErrorOr<PlistValue> readPropertyListFile(const std::filesystem::path& hostFile);
// XML keeps every value whole: dates of any year with their fractions of a
// second, integers of the full signed and unsigned range, and strings with
// characters XML cannot hold raw (a zero, other controls) as character
// references.
ErrorOr<std::string> serializePropertyList(const PlistValue& value, PlistFormat format = PlistFormat::XML);
// Writes atomically: a temporary file beside the target, its write-back to
// disk started, then renamed over it, so a reader sees either the old file or
// the new one. A failed write (no space, file-size limit) leaves the old file.
ErrorOr<void> writePropertyListAtomically(const std::filesystem::path& hostFile, const PlistValue& value,
                                          PlistFormat format = PlistFormat::XML);
ErrorOr<void> writeFileAtomically(const std::filesystem::path& hostFile, std::string_view bytes);

// `-[NSDictionary initWithContentsOfFile:]`: the dictionary at a device path,
// or nothing when the file is missing, unreadable, not a property list or not
// a dictionary.
std::optional<NSDictionary> dictionaryWithContentsOfFile(std::string_view devicePath);

}  // namespace foundation
