// Binary property lists, read here rather than by libplist, for the same
// reasons as XML (dates of any year, the unsigned integers, strings with
// U+0000): the file is a table of objects that refer to each other by index,
// and every reference and length is checked against the file before use.
#include "platform/foundation/PropertyListFormats.h"

#include "platform/foundation/StringsTable.h"

#include <bit>
#include <cstring>

namespace foundation {

namespace {

class BinaryReader {
public:
    explicit BinaryReader(std::string_view bytes)
        : bytes_(bytes), data_(reinterpret_cast<const std::uint8_t*>(bytes.data())) {}

    ErrorOr<PlistValue> read() {
        // The trailer: 6 unused bytes, the size of an offset and of an object
        // reference, the object count, the top object and the offset table's place.
        if (bytes_.size() < 8 + 1 + 32) return fail("too short");
        const std::uint8_t* trailer = data_ + bytes_.size() - 32;
        offsetSize_ = trailer[6];
        refSize_ = trailer[7];
        count_ = readBig(trailer + 8, 8);
        std::uint64_t top = readBig(trailer + 16, 8);
        tableOffset_ = readBig(trailer + 24, 8);
        if (offsetSize_ == 0 || offsetSize_ > 8 || refSize_ == 0 || refSize_ > 8) return fail("bad trailer");
        if (count_ == 0 || top >= count_ || tableOffset_ < 8 || tableOffset_ >= bytes_.size() - 32 ||
            count_ > (bytes_.size() - 32 - tableOffset_) / offsetSize_)
            return fail("bad offset table");
        return readObject(top, 1);
    }

private:
    // An object's marker: its kind (high nibble), its length (item count, or
    // string length in bytes or UTF-16 units) and where its contents start.
    struct Marker {
        unsigned kind;
        unsigned low;
        std::uint64_t length;
        std::uint64_t position;
    };

    static std::uint64_t readBig(const std::uint8_t* p, unsigned size) {
        std::uint64_t value = 0;
        for (unsigned i = 0; i < size; ++i) value = (value << 8) | p[i];
        return value;
    }

    Error fail(const std::string& what) const {
        return makeError(ErrorCode::Malformed, "binary property list: " + what);
    }

    // Bytes that an object may occupy: from `position` up to the offset table.
    bool fits(std::uint64_t position, std::uint64_t length, std::uint64_t unit = 1) const {
        return position <= tableOffset_ && length <= (tableOffset_ - position) / unit;
    }

    ErrorOr<Marker> readMarker(std::uint64_t ref) const {
        if (ref >= count_) return fail("reference out of range");
        std::uint64_t offset = readBig(data_ + tableOffset_ + ref * offsetSize_, offsetSize_);
        if (offset < 8 || offset >= tableOffset_) return fail("object offset out of range");
        std::uint8_t byte = data_[offset];
        Marker marker{static_cast<unsigned>(byte >> 4), byte & 0x0Fu, byte & 0x0Fu, offset + 1};
        bool counted = marker.kind == 0x4 || marker.kind == 0x5 || marker.kind == 0x6 || marker.kind == 0xA ||
                       marker.kind == 0xD;
        if (counted && marker.low == 0x0F) {
            // The length follows as an integer object of its own.
            if (!fits(marker.position, 1)) return fail("truncated length");
            std::uint8_t intMarker = data_[marker.position];
            unsigned intBytes = 1u << (intMarker & 0x0F);
            if ((intMarker >> 4) != 0x1 || intBytes > 8 || !fits(marker.position + 1, intBytes))
                return fail("bad length");
            marker.length = readBig(data_ + marker.position + 1, intBytes);
            marker.position += 1 + intBytes;
        }
        return marker;
    }

    ErrorOr<PlistValue> readInteger(const Marker& marker) const {
        unsigned size = 1u << marker.low;
        if (marker.low > 4 || !fits(marker.position, size)) return fail("bad integer");
        const std::uint8_t* at = data_ + marker.position;
        if (size == 16) {
            // 128 bits: the way to store integers above the signed range.
            std::uint64_t high = readBig(at, 8), low = readBig(at + 8, 8);
            if (high == 0) return PlistValue(low);
            if (high == ~std::uint64_t{0} && (low >> 63)) return PlistValue(static_cast<std::int64_t>(low));
            return fail("integer out of range");
        }
        // Eight bytes are signed (two's complement); fewer are unsigned and
        // fit the signed range either way.
        return PlistValue(static_cast<std::int64_t>(readBig(at, size)));
    }

    ErrorOr<double> readReal(const Marker& marker) const {
        if (marker.low == 2 && fits(marker.position, 4))
            return static_cast<double>(
                std::bit_cast<float>(static_cast<std::uint32_t>(readBig(data_ + marker.position, 4))));
        if (marker.low == 3 && fits(marker.position, 8))
            return std::bit_cast<double>(readBig(data_ + marker.position, 8));
        return fail("bad real number");
    }

    ErrorOr<std::string> readString(const Marker& marker) const {
        if (marker.kind == 0x5) {
            if (!fits(marker.position, marker.length)) return fail("string out of range");
            return std::string(bytes_.substr(marker.position, marker.length));
        }
        if (marker.kind == 0x6) {
            if (!fits(marker.position, marker.length, 2)) return fail("string out of range");
            return utf16UnitsToUtf8(bytes_.substr(marker.position, marker.length * 2), true);
        }
        return fail("a string was expected");
    }

    std::uint64_t readRef(std::uint64_t position, std::uint64_t index) const {
        return readBig(data_ + position + index * refSize_, refSize_);
    }

    ErrorOr<PlistValue> readObject(std::uint64_t ref, int depth) {
        if (depth > kMaximumPropertyListDepth) return makeError(ErrorCode::TooLarge, "property list nested too deeply");
        // Objects may be shared; a list whose sharing would make it expand
        // far beyond its own size is refused.
        if (++objectsRead_ > 4 * count_ + 16) return makeError(ErrorCode::TooLarge, "property list expands too far");
        auto marker = TRY(readMarker(ref));
        switch (marker.kind) {
        case 0x0:
            if (marker.low == 0x8 || marker.low == 0x9) return PlistValue(marker.low == 0x9);
            return fail("unsupported null or fill object");
        case 0x1: return readInteger(marker);
        case 0x2: return PlistValue(TRY(readReal(marker)));
        case 0x3:
            if (marker.low != 3 || !fits(marker.position, 8)) return fail("bad date");
            return PlistValue(PlistDate{std::bit_cast<double>(readBig(data_ + marker.position, 8))});
        case 0x4: {
            if (!fits(marker.position, marker.length)) return fail("data out of range");
            const std::uint8_t* at = data_ + marker.position;
            return PlistValue(PlistValue::Data(at, at + marker.length));
        }
        case 0x5:
        case 0x6: return PlistValue(TRY(readString(marker)));
        case 0x8: {
            // A keyed archive's object reference; read as its number.
            unsigned size = marker.low + 1;
            if (!fits(marker.position, size)) return fail("bad reference object");
            return PlistValue(static_cast<std::int64_t>(readBig(data_ + marker.position, size)));
        }
        case 0xA: {
            if (!fits(marker.position, marker.length, refSize_)) return fail("array out of range");
            PlistValue::Array items;
            for (std::uint64_t i = 0; i < marker.length; ++i)
                items.push_back(TRY(readObject(readRef(marker.position, i), depth + 1)));
            return PlistValue(std::move(items));
        }
        case 0xD: {
            if (marker.length > tableOffset_ / 2 || !fits(marker.position, marker.length * 2, refSize_))
                return fail("dictionary out of range");
            PlistValue::Dictionary entries;
            for (std::uint64_t i = 0; i < marker.length; ++i) {
                auto key = TRY(readString(TRY(readMarker(readRef(marker.position, i)))));
                // Other programs take keys as C strings; one with a zero in
                // it cannot be told apart from its start.
                if (key.find('\0') != std::string::npos) return fail("a dictionary key holds a zero character");
                auto value = TRY(readObject(readRef(marker.position, marker.length + i), depth + 1));
                entries.insert_or_assign(std::move(key), std::move(value));
            }
            return PlistValue(std::move(entries));
        }
        default: return fail("unsupported object kind " + std::to_string(marker.kind));
        }
    }

    std::string_view bytes_;
    const std::uint8_t* data_;
    unsigned offsetSize_ = 0, refSize_ = 0;
    std::uint64_t count_ = 0, tableOffset_ = 0;
    std::uint64_t objectsRead_ = 0;
};

}  // namespace

ErrorOr<PlistValue> parseBinaryPropertyList(std::string_view bytes) { return BinaryReader(bytes).read(); }

}  // namespace foundation
