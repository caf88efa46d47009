// Percent escaping as the platform does it, checked case by case and against
// a second implementation of the same rule written from the URL grammar.
#include "platform/foundation/PercentEscapes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <vector>

namespace {

// The escape list the developer cell passes: 19 characters.
constexpr const char* kCellEscapes = ":/=,!$& '()*+;[]@#?";

std::optional<std::string> escape(std::string_view text, std::optional<std::string_view> leave = std::nullopt,
                                  std::optional<std::string_view> escapeToo = std::nullopt,
                                  CFStringEncoding encoding = kCFStringEncodingUTF8) {
    return CFURLCreateStringByAddingPercentEscapes(kCFAllocatorDefault, text, leave, escapeToo, encoding);
}

// The second implementation. A character may stand in a URL when the URL
// grammar lists it as alphanumeric, "mark" or "reserved"; everything else,
// and everything beyond US-ASCII, may not. It walks whole characters (not
// UTF-16 units) and writes the character's own UTF-8 bytes.
namespace reference {

bool mayStandInURL(char32_t c) {
    if (c >= 0x80) return false;
    if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return true;
    constexpr std::string_view mark = "-_.!~*'()", reserved = ";/?:@&=+$,";
    return mark.find(static_cast<char>(c)) != std::string_view::npos ||
           reserved.find(static_cast<char>(c)) != std::string_view::npos;
}

// Splits valid UTF-8 into characters: each one's code point and its bytes.
std::vector<std::pair<char32_t, std::string>> characters(std::string_view text) {
    std::vector<std::pair<char32_t, std::string>> out;
    for (std::size_t i = 0; i < text.size();) {
        auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0xFF >> (length + 1));
        for (std::size_t k = 1; k < length; ++k) c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out.emplace_back(c, std::string(text.substr(i, length)));
        i += length;
    }
    return out;
}

bool listed(std::string_view set, char32_t c) {
    for (const auto& [member, bytes] : characters(set))
        if (member == c) return true;
    return false;
}

std::string escape(std::string_view text, std::string_view leave, std::string_view escapeToo) {
    std::string out;
    for (const auto& [c, bytes] : characters(text)) {
        bool escaped = mayStandInURL(c) ? listed(escapeToo, c) : !listed(leave, c);
        if (!escaped) {
            out += bytes;
            continue;
        }
        for (unsigned char byte : bytes) {
            char triple[4];
            std::snprintf(triple, sizeof triple, "%%%02X", byte);
            out += triple;
        }
    }
    return out;
}

}  // namespace reference

TEST(PercentEscapesTest, EachOfTheNineteenListedCharactersIsEscaped) {
    const std::vector<std::pair<char, std::string>> expected{
        {':', "%3A"}, {'/', "%2F"},  {'=', "%3D"}, {',', "%2C"}, {'!', "%21"}, {'$', "%24"}, {'&', "%26"},
        {' ', "%20"}, {'\'', "%27"}, {'(', "%28"}, {')', "%29"}, {'*', "%2A"}, {'+', "%2B"}, {';', "%3B"},
        {'[', "%5B"}, {']', "%5D"},  {'@', "%40"}, {'#', "%23"}, {'?', "%3F"}};
    ASSERT_EQ(std::string_view(kCellEscapes).size(), expected.size());
    for (const auto& [c, triple] : expected) {
        EXPECT_EQ(escape(std::string(1, c), std::nullopt, kCellEscapes), triple) << c;
        EXPECT_EQ(escape(std::string("a") + c + "b", std::nullopt, kCellEscapes), std::string("a") + triple + "b") << c;
    }
    // The legal ones among them pass when nobody asks for them to be escaped.
    for (char c : std::string_view(":/=,!$&'()*+;@?")) EXPECT_EQ(escape(std::string(1, c)), std::string(1, c)) << c;
}

TEST(PercentEscapesTest, CharactersThatMayNeverStandInAURLAreAlwaysEscaped) {
    for (int c = 0; c <= 0x20; ++c) {
        char triple[4];
        std::snprintf(triple, sizeof triple, "%%%02X", c);
        EXPECT_EQ(escape(std::string(1, static_cast<char>(c))), triple) << c;
    }
    for (auto [c, triple] : std::vector<std::pair<char, const char*>>{{'"', "%22"},
                                                                      {'#', "%23"},
                                                                      {'%', "%25"},
                                                                      {'<', "%3C"},
                                                                      {'>', "%3E"},
                                                                      {'[', "%5B"},
                                                                      {'\\', "%5C"},
                                                                      {']', "%5D"},
                                                                      {'^', "%5E"},
                                                                      {'`', "%60"},
                                                                      {'{', "%7B"},
                                                                      {'|', "%7C"},
                                                                      {'}', "%7D"},
                                                                      {'\x7F', "%7F"}}) {
        EXPECT_EQ(escape(std::string(1, c)), triple) << c;
        EXPECT_EQ(escape(std::string(1, c), std::nullopt, kCellEscapes), triple) << c;
    }
    EXPECT_EQ(escape("a b"), "a%20b") << "a space is %20, never +";
}

TEST(PercentEscapesTest, MultiByteCharactersBecomeOneTriplePerUtf8Byte) {
    EXPECT_EQ(escape("\xC3\xA9"), "%C3%A9");                // é, two bytes
    EXPECT_EQ(escape("\xE2\x82\xAC"), "%E2%82%AC");         // the euro sign, three bytes
    EXPECT_EQ(escape("\xF0\x9F\x98\x80"), "%F0%9F%98%80");  // an emoji: a surrogate pair, four bytes
    EXPECT_EQ(escape("Jos\xC3\xA9_1", std::nullopt, kCellEscapes), "Jos%C3%A9_1");
}

TEST(PercentEscapesTest, ThePercentSignIsEscapedSoEscapedTextIsEscapedAgain) {
    EXPECT_EQ(escape("%"), "%25");
    EXPECT_EQ(escape("a%20b", std::nullopt, kCellEscapes), "a%2520b");
    EXPECT_EQ(escape(*escape("a b")), "a%2520b");
}

TEST(PercentEscapesTest, APlainNameComesBackUnchanged) {
    for (const char* name : {"Veltrona", "user_42", "A-b.c~d", ""})
        EXPECT_EQ(escape(name, std::nullopt, kCellEscapes), name);
}

TEST(PercentEscapesTest, TheLeaveSetSparesOnlyIllegalCharactersAndTheEscapeSetCatchesOnlyLegalOnes) {
    EXPECT_EQ(escape("http://www.gnustep.org/Test file.html", " ", "ep"),
              "htt%70://www.gnust%65%70.org/T%65st fil%65.html");
    EXPECT_EQ(escape("100% a", "% ", std::nullopt), "100% a");
    EXPECT_EQ(escape("a", "a", "a"), "%61") << "the leave set does not protect a legal character";
    EXPECT_EQ(escape("<", "", "<"), "%3C") << "the escape set is not needed for an illegal one";
    EXPECT_EQ(escape("\xC3\xA9", "\xC3\xA9"), "\xC3\xA9");
    EXPECT_EQ(escape("\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"), "\xF0\x9F\x98\x80") << "both halves of the pair are kept";
}

TEST(PercentEscapesTest, WhatCannotBeWrittenAnswersNull) {
    EXPECT_EQ(CFURLCreateStringByAddingPercentEscapes(kCFAllocatorDefault, std::nullopt, std::nullopt, kCellEscapes,
                                                      kCFStringEncodingUTF8),
              std::nullopt);
    EXPECT_EQ(escape("ab\xC3"), std::nullopt) << "truncated UTF-8 is no text";
    EXPECT_EQ(escape("\xED\xA0\x80"), std::nullopt) << "an encoded surrogate is no text";
    EXPECT_EQ(escape("\xC3\xA9", std::nullopt, std::nullopt, kCFStringEncodingASCII), std::nullopt);
    EXPECT_EQ(escape("\xC3\xA9", std::nullopt, std::nullopt, kCFStringEncodingISOLatin1), "%E9");
    EXPECT_EQ(escape("\xE2\x82\xAC", std::nullopt, std::nullopt, kCFStringEncodingISOLatin1), std::nullopt);
    // The encoding matters only for what is escaped.
    EXPECT_EQ(escape("\xC3\xA9 x", "\xC3\xA9", std::nullopt, kCFStringEncodingASCII), "\xC3\xA9%20x");
    EXPECT_EQ(escape("plain", std::nullopt, std::nullopt, 0x1234), "plain");
    EXPECT_EQ(escape("a b", std::nullopt, std::nullopt, 0x1234), std::nullopt);
}

TEST(PercentEscapesTest, AgreesWithTheSecondImplementationOnEveryAsciiCharacterAndOnRandomText) {
    for (int c = 0; c < 0x80; ++c) {
        std::string text(1, static_cast<char>(c));
        EXPECT_EQ(escape(text, std::nullopt, kCellEscapes), reference::escape(text, "", kCellEscapes)) << c;
        EXPECT_EQ(escape(text), reference::escape(text, "", "")) << c;
    }
    // Random names drawn from ASCII, Latin, CJK and emoji, with random sets.
    std::mt19937 random(20150401);
    const std::vector<std::string> pool{"a",
                                        "Z",
                                        "0",
                                        "_",
                                        "-",
                                        ".",
                                        "~",
                                        " ",
                                        "%",
                                        "@",
                                        "#",
                                        "?",
                                        "/",
                                        ":",
                                        "&",
                                        "+",
                                        "\"",
                                        "<",
                                        "\\",
                                        "^",
                                        "|",
                                        "\x01",
                                        "\x7F",
                                        "\xC3\xA9",
                                        "\xC3\x9F",
                                        "\xE6\x97\xA5",
                                        "\xE2\x82\xAC",
                                        "\xF0\x9F\x98\x80",
                                        "\xF0\x9F\x8D\x95"};
    auto pick = [&](int count) {
        std::string text;
        for (int i = 0; i < count; ++i) text += pool[random() % pool.size()];
        return text;
    };
    for (int round = 0; round < 2000; ++round) {
        std::string text = pick(static_cast<int>(random() % 12)), leave = pick(3), escapeToo = pick(3);
        EXPECT_EQ(escape(text, leave, escapeToo), reference::escape(text, leave, escapeToo))
            << "text \"" << text << "\", leave \"" << leave << "\", escape \"" << escapeToo << "\"";
    }
}

}  // namespace
