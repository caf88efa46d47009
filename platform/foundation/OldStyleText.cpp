#include "platform/foundation/OldStyleText.h"

#include "platform/foundation/StringsTable.h"

#include <cctype>
#include <cstdint>

namespace foundation {

namespace {

std::uint32_t hexValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<std::uint32_t>(c - '0');
    return static_cast<std::uint32_t>(std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
}

// Reads one value at a time; the tokenizer (comments, quoted strings with
// their escapes, unquoted strings) is the one strings tables have always used.
class OldStyleReader {
public:
    explicit OldStyleReader(std::string_view text) : text_(text) {}

    ErrorOr<PlistValue> readTopLevel(EmptyText empty) {
        skipSpace();
        if (at_ >= text_.size()) {
            if (empty == EmptyText::Refused) return fail("no value");
            return PlistValue(PlistValue::Dictionary{});
        }
        char first = text_[at_];
        if (first != '{' && first != '(' && first != '<') {
            // A lone string is the whole list; anything after it makes the
            // text a dictionary without its braces.
            std::size_t start = at_;
            auto text = TRY(readString());
            skipSpace();
            if (at_ >= text_.size()) return PlistValue(std::move(text));
            at_ = start;
            return readEntries('\0', 1);
        }
        ErrorOr<PlistValue> value = readValue(1);
        skipSpace();
        if (value && at_ != text_.size()) return fail("text after the end of the list");
        return value;
    }

private:
    Error fail(const std::string& what) const {
        return makeError(ErrorCode::Malformed, "old-style property list, byte " + std::to_string(at_) + ": " + what);
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

    ErrorOr<PlistValue> readValue(int depth) {
        if (depth > kMaximumPropertyListDepth) return makeError(ErrorCode::TooLarge, "property list nested too deeply");
        skipSpace();
        if (at_ >= text_.size()) return fail("a value was expected");
        switch (text_[at_]) {
        case '{': ++at_; return readEntries('}', depth);
        case '(': ++at_; return readArray(depth);
        case '<': ++at_; return readData();
        default: return PlistValue(TRY(readString()));
        }
    }

    ErrorOr<PlistValue> readArray(int depth) {
        PlistValue::Array items;
        for (;;) {
            skipSpace();
            if (at_ < text_.size() && text_[at_] == ')') {
                ++at_;
                return PlistValue(std::move(items));
            }
            items.push_back(TRY(readValue(depth + 1)));
            skipSpace();
            if (at_ < text_.size() && text_[at_] == ',') {
                ++at_;
            } else if (at_ >= text_.size() || text_[at_] != ')') {
                return fail("',' or ')' was expected");
            }
        }
    }

    ErrorOr<PlistValue> readData() {
        PlistValue::Data bytes;
        int pending = -1;
        for (; at_ < text_.size() && text_[at_] != '>'; ++at_) {
            char c = text_[at_];
            if (std::isspace(static_cast<unsigned char>(c))) continue;
            if (!std::isxdigit(static_cast<unsigned char>(c))) return fail("a hexadecimal digit was expected");
            if (pending < 0) {
                pending = static_cast<int>(hexValue(c));
            } else {
                bytes.push_back(static_cast<std::uint8_t>(pending << 4 | static_cast<int>(hexValue(c))));
                pending = -1;
            }
        }
        if (at_ >= text_.size()) return fail("unterminated data");
        if (pending >= 0) return fail("data with an odd number of digits");
        ++at_;
        return PlistValue(std::move(bytes));
    }

    // Entries up to `terminator`, or up to the end of the text when it is 0.
    ErrorOr<PlistValue> readEntries(char terminator, int depth) {
        PlistValue::Dictionary entries;
        for (;;) {
            skipSpace();
            if (at_ >= text_.size()) {
                if (terminator) return fail("missing closing brace");
                return PlistValue(std::move(entries));
            }
            if (terminator && text_[at_] == terminator) {
                ++at_;
                return PlistValue(std::move(entries));
            }
            auto key = TRY(readString());
            skipSpace();
            if (at_ < text_.size() && text_[at_] == ';') {
                ++at_;
                entries.insert_or_assign(key, PlistValue(key));
                continue;
            }
            if (at_ >= text_.size() || text_[at_] != '=') return fail("'=' was expected");
            ++at_;
            auto value = TRY(readValue(depth + 1));
            skipSpace();
            if (at_ >= text_.size() || text_[at_] != ';') return fail("';' was expected");
            ++at_;
            entries.insert_or_assign(std::move(key), std::move(value));
        }
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

ErrorOr<PlistValue> parseOldStyleText(std::string_view text, EmptyText empty) {
    return OldStyleReader(text).readTopLevel(empty);
}

}  // namespace foundation
