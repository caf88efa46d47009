// XML property lists, read and written here rather than by libplist: its
// date accessors carry 32-bit seconds (a date before 1901 or after 2038 came
// back as 1932), its string setter stops at a zero character, and it has no
// room for the unsigned integers above the signed range. Values the system
// does not change must go back into the file exactly as they were read.
#include "platform/foundation/PropertyListFormats.h"

#include "platform/foundation/StringsTable.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace foundation {

namespace {

// Days between 1970-01-01 and 2001-01-01, the platform's reference date.
constexpr std::int64_t kReferenceDateDays = 11323;
// Dates are written to the second with exact arithmetic; beyond this span
// (some thirty million years) a double no longer holds whole seconds.
constexpr double kLargestWritableDateSeconds = 1e15;

// Proleptic Gregorian calendar, day numbers counted from 1970-01-01.
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

struct CivilDate {
    std::int64_t year;
    unsigned month, day;
};

CivilDate civilFromDays(std::int64_t days) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
    const unsigned day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    const unsigned month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    return {static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2), month, day};
}

const char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string base64(const PlistValue::Data& bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t group = static_cast<std::uint32_t>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) group |= static_cast<std::uint32_t>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) group |= bytes[i + 2];
        out += kBase64Alphabet[group >> 18];
        out += kBase64Alphabet[(group >> 12) & 63];
        out += i + 1 < bytes.size() ? kBase64Alphabet[(group >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kBase64Alphabet[group & 63] : '=';
    }
    return out;
}

std::optional<PlistValue::Data> fromBase64(std::string_view text) {
    PlistValue::Data out;
    std::uint32_t group = 0;
    int bits = 0;
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c)) || c == '=') continue;
        const char* found = std::char_traits<char>::find(kBase64Alphabet, 64, c);
        if (!found) return std::nullopt;
        group = (group << 6) | static_cast<std::uint32_t>(found - kBase64Alphabet);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<std::uint8_t>(group >> bits));
        }
    }
    return out;
}

// Text for XML: markup characters and the characters XML cannot hold raw
// (a zero and the other controls; a raw carriage return would be read as a
// line feed) go as references, so every string comes back as it was.
std::string escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') {
                out += "&#" + std::to_string(static_cast<int>(c)) + ";";
            } else {
                out += c;
            }
        }
    }
    return out;
}

std::string realText(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "+infinity" : "-infinity";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    return buffer;
}

ErrorOr<void> writeValue(const PlistValue& value, int depth, std::string& out) {
    const std::string indent(static_cast<std::size_t>(depth), '\t');
    out += indent;
    switch (value.type()) {
    case PlistValue::Type::Boolean: out += *value.boolValue() ? "<true/>" : "<false/>"; break;
    case PlistValue::Type::Integer:
        if (auto large = value.largeUnsignedInteger()) {
            out += "<integer>" + std::to_string(*large) + "</integer>";
        } else {
            out += "<integer>" + std::to_string(*value.integer()) + "</integer>";
        }
        break;
    case PlistValue::Type::Real: out += "<real>" + realText(*value.real()) + "</real>"; break;
    case PlistValue::Type::String: out += "<string>" + escaped(*value.string()) + "</string>"; break;
    case PlistValue::Type::Data: out += "<data>" + base64(*value.data()) + "</data>"; break;
    case PlistValue::Type::Date: {
        double seconds = value.date()->secondsSinceReferenceDate;
        if (!(std::fabs(seconds) <= kLargestWritableDateSeconds))
            return makeError(ErrorCode::InvalidArgument, "a date too far from the present to write as XML");
        out += "<date>" + xmlDateText(*value.date()) + "</date>";
        break;
    }
    case PlistValue::Type::Array:
        if (value.array()->empty()) {
            out += "<array/>";
            break;
        }
        out += "<array>\n";
        for (const auto& item : *value.array()) TRY(writeValue(item, depth + 1, out));
        out += indent + "</array>";
        break;
    case PlistValue::Type::Dictionary:
        if (value.dictionary()->empty()) {
            out += "<dict/>";
            break;
        }
        out += "<dict>\n";
        for (const auto& [key, item] : *value.dictionary()) {
            out += indent + "\t<key>" + escaped(key) + "</key>\n";
            TRY(writeValue(item, depth + 1, out));
        }
        out += indent + "</dict>";
        break;
    }
    out += '\n';
    return {};
}

class XmlReader {
public:
    explicit XmlReader(std::string_view text) : text_(text) {}

    ErrorOr<PlistValue> readDocument() {
        TRY(skipMarkup());
        auto tag = TRY(readTag());
        PlistValue value;
        if (tag.name == "plist") {
            if (tag.closing || tag.empty) return fail("an empty <plist>");
            TRY(skipMarkup());
            value = TRY(readValue(TRY(readTag()), 1));
            TRY(skipMarkup());
            auto end = TRY(readTag());
            if (!end.closing || end.name != "plist") return fail("</plist> was expected");
        } else {
            value = TRY(readValue(tag, 1));
        }
        TRY(skipMarkup());
        if (at_ != text_.size()) return fail("text after the end of the list");
        return value;
    }

private:
    struct Tag {
        std::string name;
        bool closing = false;
        bool empty = false;  // <name/>
    };

    Error fail(const std::string& what) const {
        return makeError(ErrorCode::Malformed, "XML property list, byte " + std::to_string(at_) + ": " + what);
    }

    // White space, comments, the XML declaration and the document type.
    ErrorOr<void> skipMarkup() {
        for (;;) {
            while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
            std::string_view close;
            if (text_.compare(at_, 4, "<!--") == 0) {
                close = "-->";
            } else if (text_.compare(at_, 2, "<?") == 0) {
                close = "?>";
            } else if (text_.compare(at_, 9, "<!DOCTYPE") == 0) {
                close = ">";
            } else {
                return {};
            }
            auto end = text_.find(close, at_ + 2);
            if (end == std::string_view::npos) return fail("unterminated markup");
            at_ = end + close.size();
        }
    }

    ErrorOr<Tag> readTag() {
        if (at_ >= text_.size() || text_[at_] != '<') return fail("an element was expected");
        Tag tag;
        ++at_;
        if (at_ < text_.size() && text_[at_] == '/') {
            tag.closing = true;
            ++at_;
        }
        std::size_t start = at_;
        while (at_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[at_])) || text_[at_] == '-' ||
                                      text_[at_] == '_' || text_[at_] == ':'))
            ++at_;
        tag.name = std::string(text_.substr(start, at_ - start));
        if (tag.name.empty()) return fail("an element name was expected");
        // Attributes (a plist's version) are stepped over.
        char quote = 0;
        for (; at_ < text_.size(); ++at_) {
            char c = text_[at_];
            if (quote) {
                if (c == quote) quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                tag.empty = text_[at_ - 1] == '/';
                ++at_;
                return tag;
            }
        }
        return fail("unterminated element");
    }

    ErrorOr<void> appendReference(std::string& out) {
        auto end = text_.find(';', at_);
        if (end == std::string_view::npos || end - at_ > 12) return fail("unterminated character reference");
        std::string_view name = text_.substr(at_ + 1, end - at_ - 1);
        at_ = end + 1;
        if (name == "lt") out += '<';
        else if (name == "gt") out += '>';
        else if (name == "amp") out += '&';
        else if (name == "quot") out += '"';
        else if (name == "apos") out += '\'';
        else if (name.size() >= 2 && name[0] == '#') {
            bool hex = name[1] == 'x' || name[1] == 'X';
            std::string digits(name.substr(hex ? 2 : 1));
            char* stop = nullptr;
            unsigned long code = std::strtoul(digits.c_str(), &stop, hex ? 16 : 10);
            if (digits.empty() || *stop || !std::isxdigit(static_cast<unsigned char>(digits[0])) || code > 0x10FFFF ||
                (code >= 0xD800 && code < 0xE000))
                return fail("bad character reference");
            appendUtf8(out, static_cast<std::uint32_t>(code));
        } else {
            return fail("unknown entity");
        }
        return {};
    }

    // The text of an element up to its closing tag, references resolved.
    ErrorOr<std::string> readText(const std::string& name) {
        std::string out;
        for (;;) {
            if (at_ >= text_.size()) return fail("unterminated <" + name + ">");
            char c = text_[at_];
            if (c == '&') {
                TRY(appendReference(out));
            } else if (text_.compare(at_, 9, "<![CDATA[") == 0) {
                auto end = text_.find("]]>", at_ + 9);
                if (end == std::string_view::npos) return fail("unterminated CDATA section");
                out.append(text_.substr(at_ + 9, end - at_ - 9));
                at_ = end + 3;
            } else if (text_.compare(at_, 4, "<!--") == 0) {
                auto end = text_.find("-->", at_ + 4);
                if (end == std::string_view::npos) return fail("unterminated comment");
                at_ = end + 3;
            } else if (c == '<') {
                auto tag = TRY(readTag());
                if (!tag.closing || tag.name != name) return fail("</" + name + "> was expected");
                return out;
            } else {
                out += c;
                ++at_;
            }
        }
    }

    ErrorOr<std::string> readTextOf(const Tag& tag) {
        if (tag.empty) return std::string();
        return readText(tag.name);
    }

    ErrorOr<PlistValue> readInteger(std::string_view text) {
        while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
        while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
        bool negative = !text.empty() && text[0] == '-';
        if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
        if (text.empty()) return fail("an integer was expected");
        std::uint64_t magnitude = 0;
        for (char c : text) {
            if (c < '0' || c > '9') return fail("an integer was expected");
            auto digit = static_cast<std::uint64_t>(c - '0');
            if (magnitude > (std::numeric_limits<std::uint64_t>::max() - digit) / 10)
                return fail("integer out of range");
            magnitude = magnitude * 10 + digit;
        }
        if (!negative) return PlistValue(magnitude);
        if (magnitude > std::uint64_t{1} << 63) return fail("integer out of range");
        return PlistValue(static_cast<std::int64_t>(0 - magnitude));
    }

    ErrorOr<PlistValue> readReal(std::string text) {
        std::string lower;
        for (char c : text)
            if (!std::isspace(static_cast<unsigned char>(c))) lower += static_cast<char>(std::tolower(c));
        if (lower == "nan") return PlistValue(std::numeric_limits<double>::quiet_NaN());
        if (lower == "+infinity" || lower == "infinity" || lower == "inf" || lower == "+inf")
            return PlistValue(std::numeric_limits<double>::infinity());
        if (lower == "-infinity" || lower == "-inf") return PlistValue(-std::numeric_limits<double>::infinity());
        char* stop = nullptr;
        double value = std::strtod(lower.c_str(), &stop);
        if (lower.empty() || *stop) return fail("a real number was expected");
        return PlistValue(value);
    }

    ErrorOr<PlistValue> readValue(const Tag& tag, int depth) {
        if (depth > kMaximumPropertyListDepth) return makeError(ErrorCode::TooLarge, "property list nested too deeply");
        if (tag.closing) return fail("a value was expected, not </" + tag.name + ">");
        if (tag.name == "dict") return tag.empty ? PlistValue(PlistValue::Dictionary{}) : readDictionary(depth);
        if (tag.name == "array") return tag.empty ? PlistValue(PlistValue::Array{}) : readArray(depth);
        if (tag.name == "string") return PlistValue(TRY(readTextOf(tag)));
        if (tag.name == "integer") return readInteger(TRY(readTextOf(tag)));
        if (tag.name == "real") return readReal(TRY(readTextOf(tag)));
        if (tag.name == "true" || tag.name == "false") {
            if (!tag.empty && !TRY(readText(tag.name)).empty()) return fail("<" + tag.name + "> holds text");
            return PlistValue(tag.name == "true");
        }
        if (tag.name == "date") {
            auto date = parseXmlDateText(TRY(readTextOf(tag)));
            if (!date) return fail("a date was expected");
            return PlistValue(*date);
        }
        if (tag.name == "data") {
            auto bytes = fromBase64(TRY(readTextOf(tag)));
            if (!bytes) return fail("base64 data was expected");
            return PlistValue(std::move(*bytes));
        }
        return fail("unknown element <" + tag.name + ">");
    }

    ErrorOr<PlistValue> readDictionary(int depth) {
        PlistValue::Dictionary entries;
        for (;;) {
            TRY(skipMarkup());
            auto tag = TRY(readTag());
            if (tag.closing && tag.name == "dict") return PlistValue(std::move(entries));
            if (tag.closing || tag.name != "key") return fail("<key> was expected");
            auto key = TRY(readTextOf(tag));
            TRY(skipMarkup());
            auto value = TRY(readValue(TRY(readTag()), depth + 1));
            entries.insert_or_assign(std::move(key), std::move(value));
        }
    }

    ErrorOr<PlistValue> readArray(int depth) {
        PlistValue::Array items;
        for (;;) {
            TRY(skipMarkup());
            auto tag = TRY(readTag());
            if (tag.closing && tag.name == "array") return PlistValue(std::move(items));
            items.push_back(TRY(readValue(tag, depth + 1)));
        }
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

std::string xmlDateText(PlistDate date) {
    double seconds = date.secondsSinceReferenceDate;
    double whole = std::floor(seconds);
    // Exact, except within a second before the reference date, where 1 + s
    // may round to 1: such a date (closer than 2^-53 s) is written as the
    // reference date itself.
    double fraction = seconds - whole;
    if (fraction >= 1) {
        whole += 1;
        fraction = 0;
    }
    auto wholeSeconds = static_cast<std::int64_t>(whole);
    std::int64_t days = wholeSeconds / 86400 - (wholeSeconds % 86400 < 0 ? 1 : 0);
    std::int64_t secondOfDay = wholeSeconds - days * 86400;
    CivilDate civil = civilFromDays(days + kReferenceDateDays);
    char year[32];
    if (civil.year >= 0 && civil.year <= 9999) {
        std::snprintf(year, sizeof year, "%04lld", static_cast<long long>(civil.year));
    } else {
        std::snprintf(year, sizeof year, "%c%04lld", civil.year < 0 ? '-' : '+',
                      static_cast<long long>(civil.year < 0 ? -civil.year : civil.year));
    }
    char text[96];
    std::snprintf(text, sizeof text, "%s-%02u-%02uT%02lld:%02lld:%02lld", year, civil.month, civil.day,
                  static_cast<long long>(secondOfDay / 3600), static_cast<long long>(secondOfDay / 60 % 60),
                  static_cast<long long>(secondOfDay % 60));
    std::string out = text;
    if (fraction > 0) {
        // The shortest decimals that read back as this very fraction, so
        // whole + fraction is the same double again.
        char digits[1100];
        auto written = std::to_chars(digits, digits + sizeof digits, fraction, std::chars_format::fixed);
        out.append(digits + 1, written.ptr);  // ".xxxxx", the leading 0 dropped
    }
    return out + "Z";
}

std::optional<PlistDate> parseXmlDateText(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    std::size_t at = 0;
    auto number = [&](std::size_t minDigits, std::size_t maxDigits) -> std::optional<std::int64_t> {
        std::int64_t value = 0;
        std::size_t digits = 0;
        while (at < text.size() && digits < maxDigits && text[at] >= '0' && text[at] <= '9') {
            value = value * 10 + (text[at++] - '0');
            ++digits;
        }
        if (digits < minDigits) return std::nullopt;
        return value;
    };
    auto expect = [&](char c) { return at < text.size() && text[at++] == c; };
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) negative = text[at++] == '-';
    auto year = number(4, 9);  // Nine digits keep the seconds well inside 64 bits.
    if (!year || !expect('-')) return std::nullopt;
    auto month = number(2, 2);
    if (!month || !expect('-')) return std::nullopt;
    auto day = number(2, 2);
    if (!day || !expect('T')) return std::nullopt;
    auto hour = number(2, 2);
    if (!hour || !expect(':')) return std::nullopt;
    auto minute = number(2, 2);
    if (!minute || !expect(':')) return std::nullopt;
    auto second = number(2, 2);
    if (!second) return std::nullopt;
    double fraction = 0;
    if (at < text.size() && text[at] == '.') {
        std::size_t start = at++;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
        if (at == start + 1) return std::nullopt;
        fraction = std::strtod(std::string(text.substr(start, at - start)).insert(0, "0").c_str(), nullptr);
    }
    if (!expect('Z') || at != text.size()) return std::nullopt;
    if (*month < 1 || *month > 12 || *day < 1 || *day > 31 || *hour > 23 || *minute > 59 || *second > 60)
        return std::nullopt;
    std::int64_t days = daysFromCivil(negative ? -*year : *year, static_cast<unsigned>(*month),
                                      static_cast<unsigned>(*day)) -
                        kReferenceDateDays;
    double whole = static_cast<double>(days * 86400 + *hour * 3600 + *minute * 60 + *second);
    return PlistDate{whole + fraction};
}

ErrorOr<PlistValue> parseXmlPropertyList(std::string_view text) { return XmlReader(text).readDocument(); }

ErrorOr<std::string> xmlPropertyList(const PlistValue& value) {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n";
    TRY(writeValue(value, 0, out));
    return out + "</plist>\n";
}

}  // namespace foundation
