// Strings tables, as a bundle's localization reads them for the localizer.
#include "fuzz/FuzzEntries.h"

#include "platform/foundation/StringsTable.h"

#include <cstdio>

namespace fuzz {

namespace {

// The strings form of a text: quoted, with quotes and backslashes escaped and
// control characters as octal escapes (a raw zero byte near the start would
// read as UTF-16). Other bytes pass as they are.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\%03o", static_cast<unsigned>(static_cast<unsigned char>(c)));
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace

Finding feedStringsTable(Input bytes) {
    auto table = foundation::parseStringsTable(asText(bytes));
    if (!table) return std::nullopt;

    // Written back in the strings form, the table must read as the same table:
    // every key and text survives the reader, whatever bytes it holds.
    std::string written;
    for (const auto& [key, text] : table.value()) written += quoted(key) + " = " + quoted(text) + ";\n";
    auto reread = foundation::parseStringsTable(written);
    if (!reread) return "the table written back does not read: " + reread.error().message;
    if (reread.value() != table.value()) return "the table written back reads as another table";
    return std::nullopt;
}

}  // namespace fuzz
