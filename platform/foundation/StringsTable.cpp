#include "platform/foundation/StringsTable.h"

#include "platform/foundation/PropertyList.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>

namespace foundation {

namespace {

void appendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::uint32_t hexValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<std::uint32_t>(c - '0');
    return static_cast<std::uint32_t>(std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
}

// The old-style text reader: quoted and unquoted strings, comments, and
// dictionaries with or without their braces. Nested arrays and dictionaries
// are read and skipped, as only string entries make a strings table.
class OldStyleReader {
public:
    explicit OldStyleReader(std::string_view text) : text_(text) {}

    ErrorOr<StringsTable> readTable() {
        skipSpace();
        if (at_ < text_.size() && text_[at_] == '{') {
            ++at_;
            auto table = readEntries('}');
            if (!table) return table;
            skipSpace();
            if (at_ != text_.size()) return fail("text after the closing brace");
            return table;
        }
        return readEntries('\0');
    }

private:
    Error fail(const std::string& what) const {
        return makeError(ErrorCode::Malformed, "strings table, byte " + std::to_string(at_) + ": " + what);
    }

    void skipSpace() {
        while (at_ < text_.size()) {
            char c = text_[at_];
            if (std::isspace(static_cast<unsigned char>(c))) {
                ++at_;
            } else if (text_.compare(at_, 2, "/*") == 0) {
                auto end = text_.find("*/", at_ + 2);
                at_ = end == std::string_view::npos ? text_.size() : end + 2;
            } else if (text_.compare(at_, 2, "//") == 0) {
                auto end = text_.find('\n', at_);
                at_ = end == std::string_view::npos ? text_.size() : end + 1;
            } else {
                return;
            }
        }
    }

    static bool unquotedCharacter(char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || c == '+' || c == '/' ||
               c == ':' || c == '.' || c == '-';
    }

    ErrorOr<std::string> readString() {
        skipSpace();
        if (at_ >= text_.size()) return fail("a string was expected");
        if (text_[at_] == '"' || text_[at_] == '\'') return readQuoted(text_[at_]);
        std::size_t start = at_;
        while (at_ < text_.size() && unquotedCharacter(text_[at_])) ++at_;
        if (start == at_) return fail("a string was expected");
        return std::string(text_.substr(start, at_ - start));
    }

    ErrorOr<std::string> readQuoted(char quote) {
        ++at_;
        std::string out;
        while (at_ < text_.size() && text_[at_] != quote) {
            char c = text_[at_++];
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size()) break;
            char escaped = text_[at_++];
            switch (escaped) {
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 'r': out += '\r'; break;
            case 'a': out += '\a'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'v': out += '\v'; break;
            case 'U':
            case 'u': {
                std::uint32_t code = 0;
                int digits = 0;
                while (digits < 4 && at_ < text_.size() && std::isxdigit(static_cast<unsigned char>(text_[at_]))) {
                    code = code * 16 + static_cast<std::uint32_t>(hexValue(text_[at_]));
                    ++at_;
                    ++digits;
                }
                // A surrogate pair written as two escapes makes one character.
                if (code >= 0xD800 && code < 0xDC00 && text_.compare(at_, 2, "\\U") == 0) {
                    std::size_t save = at_;
                    at_ += 2;
                    std::uint32_t low = 0;
                    int lowDigits = 0;
                    while (lowDigits < 4 && at_ < text_.size() &&
                           std::isxdigit(static_cast<unsigned char>(text_[at_]))) {
                        low = low * 16 + static_cast<std::uint32_t>(hexValue(text_[at_]));
                        ++at_;
                        ++lowDigits;
                    }
                    if (low >= 0xDC00 && low < 0xE000) {
                        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                    } else {
                        at_ = save;
                    }
                }
                appendUtf8(out, code >= 0xD800 && code < 0xE000 ? 0xFFFD : code);
                break;
            }
            default:
                if (escaped >= '0' && escaped <= '7') {
                    // Up to three octal digits.
                    unsigned value = static_cast<unsigned>(escaped - '0');
                    for (int i = 0; i < 2 && at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '7'; ++i)
                        value = value * 8 + static_cast<unsigned>(text_[at_++] - '0');
                    out += static_cast<char>(value);
                } else {
                    out += escaped;
                }
            }
        }
        if (at_ >= text_.size()) return fail("unterminated quoted string");
        ++at_;
        return out;
    }

    // Reads a value that is not a string (an array, a dictionary or data),
    // only to step over it.
    ErrorOr<void> skipValue() {
        skipSpace();
        if (at_ >= text_.size()) return fail("a value was expected");
        char open = text_[at_];
        if (open != '(' && open != '{' && open != '<') {
            auto text = readString();
            if (!text) return text.error();
            return {};
        }
        char close = open == '(' ? ')' : open == '{' ? '}' : '>';
        ++at_;
        int depth = 1;
        while (at_ < text_.size() && depth > 0) {
            char c = text_[at_];
            if (c == '"' || c == '\'') {
                auto quoted = readQuoted(c);
                if (!quoted) return quoted.error();
                continue;
            }
            if (c == open) ++depth;
            if (c == close) --depth;
            ++at_;
            if (depth > 256) return fail("nested too deeply");
        }
        if (depth > 0) return fail("unterminated value");
        return {};
    }

    ErrorOr<StringsTable> readEntries(char terminator) {
        StringsTable table;
        for (;;) {
            skipSpace();
            if (at_ >= text_.size()) {
                if (terminator) return fail("missing closing brace");
                return table;
            }
            if (terminator && text_[at_] == terminator) {
                ++at_;
                return table;
            }
            auto key = readString();
            if (!key) return key.error();
            skipSpace();
            if (at_ < text_.size() && text_[at_] == ';') {
                // "key"; alone maps the key to itself.
                ++at_;
                table.insert_or_assign(key.value(), key.value());
                continue;
            }
            if (at_ >= text_.size() || text_[at_] != '=') return fail("'=' was expected");
            ++at_;
            skipSpace();
            std::optional<std::string> value;
            if (at_ < text_.size() && (text_[at_] == '(' || text_[at_] == '{' || text_[at_] == '<')) {
                auto skipped = skipValue();
                if (!skipped) return skipped.error();
            } else {
                auto text = readString();
                if (!text) return text.error();
                value = std::move(text).value();
            }
            skipSpace();
            if (at_ >= text_.size() || text_[at_] != ';') return fail("';' was expected");
            ++at_;
            if (value) table.insert_or_assign(std::move(key).value(), std::move(*value));
        }
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

std::string utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    std::size_t at = 0;
    if (bytes.size() >= 2) {
        auto b0 = static_cast<unsigned char>(bytes[0]), b1 = static_cast<unsigned char>(bytes[1]);
        if (b0 == 0xFF && b1 == 0xFE) {
            bigEndian = false;
            at = 2;
        } else if (b0 == 0xFE && b1 == 0xFF) {
            bigEndian = true;
            at = 2;
        }
    }
    auto unit = [&](std::size_t i) -> std::uint32_t {
        auto hi = static_cast<unsigned char>(bytes[i]), lo = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (hi << 8 | lo) : (lo << 8 | hi);
    };
    std::string out;
    while (at + 1 < bytes.size()) {
        std::uint32_t code = unit(at);
        at += 2;
        if (code >= 0xD800 && code < 0xDC00) {
            if (at + 1 < bytes.size() && unit(at) >= 0xDC00 && unit(at) < 0xE000) {
                code = 0x10000 + ((code - 0xD800) << 10) + (unit(at) - 0xDC00);
                at += 2;
            } else {
                code = 0xFFFD;
            }
        } else if (code >= 0xDC00 && code < 0xE000) {
            code = 0xFFFD;
        }
        appendUtf8(out, code);
    }
    return out;
}

ErrorOr<StringsTable> parseStringsTable(std::string_view bytes) {
    if (bytes.size() > kMaximumPropertyListBytes) return makeError(ErrorCode::TooLarge, "strings table too large");
    // 1. Property-list encodings first: a binary list, or XML text, which
    //    opens with '<' (after a byte-order mark and white space). Text that
    //    only mentions "<plist" further on is a strings table.
    std::string_view opening = bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes;
    opening.remove_prefix(std::min(opening.find_first_not_of(" \t\r\n"), opening.size()));
    if (bytes.starts_with("bplist00") || opening.starts_with('<')) {
        auto value = TRY(parsePropertyList(bytes.starts_with("bplist00") ? bytes : opening));
        if (!value.isDictionary()) return makeError(ErrorCode::Malformed, "strings table is not a dictionary");
        StringsTable table;
        for (const auto& [key, entry] : *value.dictionary())
            if (entry.string()) table.emplace(key, *entry.string());
        return table;
    }
    // 2. Text: UTF-16 by mark or by a zero byte at the start, else UTF-8
    //    (with its mark dropped).
    std::string text;
    bool utf16Mark = bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') ||
                                           (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
    bool zeroAtStart = bytes.size() >= 2 && (bytes[0] == '\0' || bytes[1] == '\0');
    if (utf16Mark || zeroAtStart) {
        text = utf16ToUtf8(bytes, bytes[0] == '\0');
    } else {
        text = std::string(bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes);
    }
    return OldStyleReader(text).readTable();
}

}  // namespace foundation
