#include "platform/springboard/BannerBox.h"

#include <algorithm>
#include <vector>

namespace springboard {

namespace {

// Characters in UTF-8 text: every byte that does not continue a sequence.
std::size_t columns(std::string_view text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// Greedy word wrap; a word longer than a line is cut at the line's width on a
// character boundary.
std::vector<std::string> wrap(std::string_view text, std::size_t width) {
    std::vector<std::string> lines;
    std::string line;
    auto flush = [&] {
        lines.push_back(line);
        line.clear();
    };
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view word = text.substr(start, end - start);
        while (columns(word) > width) {
            if (!line.empty()) flush();
            std::size_t cut = 0, taken = 0;
            while (cut < word.size() && taken < width) {
                ++cut;
                while (cut < word.size() && (static_cast<unsigned char>(word[cut]) & 0xC0) == 0x80) ++cut;
                ++taken;
            }
            line = std::string(word.substr(0, cut));
            flush();
            word.remove_prefix(cut);
        }
        if (!line.empty() && columns(line) + 1 + columns(word) > width) flush();
        if (!word.empty()) {
            if (!line.empty()) line += ' ';
            line += word;
        }
        start = end + 1;
    }
    if (!line.empty() || lines.empty()) flush();
    return lines;
}

std::string repeat(std::string_view piece, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) out += piece;
    return out;
}

}  // namespace

std::string drawBannerBox(std::string_view title, std::string_view message) {
    std::vector<std::string> lines = wrap(message, kBannerBoxTextColumns);
    std::size_t inner = columns(title) + 2;
    for (const auto& line : lines) inner = std::max(inner, columns(line));

    // ┌─ Title ─────┐
    // │ message     │
    // └─────────────┘
    std::string box = "\u250C\u2500 " + std::string(title) + " " + repeat("\u2500", inner - columns(title) - 1) +
                      "\u2510\n";
    for (const auto& line : lines) box += "\u2502 " + line + std::string(inner - columns(line), ' ') + " \u2502\n";
    box += "\u2514" + repeat("\u2500", inner + 2) + "\u2518\n";
    return box;
}

}  // namespace springboard
