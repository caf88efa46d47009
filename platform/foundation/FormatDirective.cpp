#include "platform/foundation/FormatDirective.h"

namespace foundation {

namespace {

constexpr std::string_view kFlags = "-+ #0'";
constexpr std::string_view kConversions = "%@sdiuxXofFeEgGaAcp";

bool isDigit(char c) { return c >= '0' && c <= '9'; }

class DirectiveReader {
public:
    explicit DirectiveReader(std::string_view text) : text_(text) {}

    bool atEnd() const { return at_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[at_]; }
    std::size_t offset() const { return at_; }
    void skip() { ++at_; }
    void rewind(std::size_t offset) { at_ = offset; }
    bool take(char c) {
        if (peek() != c) return false;
        ++at_;
        return true;
    }

    // A run of digits, or nothing when none follow. Fails when the number
    // exceeds what any field or position may be.
    ErrorOr<std::optional<std::size_t>> number() {
        if (!isDigit(peek())) return std::optional<std::size_t>{};
        std::size_t value = 0;
        while (isDigit(peek())) {
            value = value * 10 + static_cast<std::size_t>(peek() - '0');
            if (value > kMaximumFieldSize)
                return Error{ErrorCode::TooLarge, "a number above " + std::to_string(kMaximumFieldSize)};
            skip();
        }
        return std::optional<std::size_t>{value};
    }

private:
    std::string_view text_;
    std::size_t at_ = 0;
};

// Either "*", "*m$" or digits.
ErrorOr<FieldSize> readFieldSize(DirectiveReader& reader) {
    if (!reader.take('*')) {
        auto literal = TRY(reader.number());
        if (!literal) return FieldSize{};
        return FieldSize{FieldSize::Source::Literal, *literal};
    }
    std::size_t afterStar = reader.offset();
    auto position = TRY(reader.number());
    if (position && reader.take('$')) {
        if (*position == 0) return Error{ErrorCode::Malformed, "argument position 0"};
        return FieldSize{FieldSize::Source::Position, *position};
    }
    reader.rewind(afterStar);
    return FieldSize{FieldSize::Source::NextArgument, 0};
}

LengthModifier readLengthModifier(DirectiveReader& reader) {
    switch (reader.peek()) {
    case 'h': reader.skip(); return reader.take('h') ? LengthModifier::Char : LengthModifier::Short;
    case 'l': reader.skip(); return reader.take('l') ? LengthModifier::LongLong : LengthModifier::Long;
    case 'q': reader.skip(); return LengthModifier::LongLong;
    case 'z': reader.skip(); return LengthModifier::Size;
    case 't': reader.skip(); return LengthModifier::PtrDiff;
    case 'j': reader.skip(); return LengthModifier::IntMax;
    case 'L': reader.skip(); return LengthModifier::LongDouble;
    default: return LengthModifier::None;
    }
}

}  // namespace

ErrorOr<FormatDirective> parseFormatDirective(std::string_view text) {
    DirectiveReader reader(text);
    reader.skip();  // the '%'
    FormatDirective directive;

    // Digits followed by '$' are a position; otherwise they are the width,
    // read again below.
    std::size_t start = reader.offset();
    auto position = reader.number();
    if (position.ok() && position.value() && reader.take('$')) {
        if (*position.value() == 0) return Error{ErrorCode::Malformed, "argument position 0"};
        directive.position = position.value();
    } else {
        reader.rewind(start);
    }

    while (!reader.atEnd() && kFlags.find(reader.peek()) != std::string_view::npos) {
        directive.flags += reader.peek();
        reader.skip();
    }
    directive.width = TRY(readFieldSize(reader));
    if (reader.take('.')) {
        directive.precision = TRY(readFieldSize(reader));
        // A lone "." is a precision of zero.
        if (directive.precision.source == FieldSize::Source::Absent)
            directive.precision = {FieldSize::Source::Literal, 0};
    }
    directive.lengthModifier = readLengthModifier(reader);

    if (reader.atEnd()) return Error{ErrorCode::Malformed, "the format ends inside a directive"};
    char conversion = reader.peek();
    if (kConversions.find(conversion) == std::string_view::npos)
        return Error{ErrorCode::Malformed, std::string("no conversion '") + conversion + "'"};
    reader.skip();
    directive.conversion = conversion;
    directive.length = reader.offset();
    return directive;
}

}  // namespace foundation
