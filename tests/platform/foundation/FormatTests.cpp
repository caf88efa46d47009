#include "platform/foundation/Format.h"
#include "platform/foundation/NSError.h"

#include "platform/foundation/NSLog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace {

TEST(FormatTest, PlaceholdersTakeTheirArgumentsInOrder) {
    EXPECT_EQ(foundation::stringWithFormat("%s: %@", "fn", std::string("text")), "fn: text");
    EXPECT_EQ(foundation::stringWithFormat("%d/%ld/%lu %%", -1, 2L, 3UL), "-1/2/3 %");
    EXPECT_EQ(foundation::stringWithFormat("ALAssetsGroup failed to add asset: %@.", "asset"),
              "ALAssetsGroup failed to add asset: asset.");
    EXPECT_EQ(foundation::stringWithFormat("no placeholders"), "no placeholders");
}

TEST(FormatTest, ObjectsAreFormattedByTheirDescription) {
    auto error = foundation::NSError::errorWithDomain("D", 4, {{foundation::NSLocalizedDescriptionKey, "broken"}});
    EXPECT_EQ(foundation::stringWithFormat("%@", error), "Error Domain=D Code=4 \"broken\"");
    std::shared_ptr<const foundation::NSError> none;
    EXPECT_EQ(foundation::stringWithFormat("%@", none), "(null)");
}

// Every directive must print exactly what the C library prints for it.
template <typename... Args>
void expectAsSnprintf(const char* format, Args... args) {
    char expected[512];
    std::snprintf(expected, sizeof expected, format, args...);
    EXPECT_EQ(foundation::stringWithFormat(format, args...), expected) << "format: " << format;
}

TEST(FormatTest, NumbersComeOutAsTheCLibraryFormatsThem) {
    expectAsSnprintf("%.1f%% of %d files, %x", 42.25, 7, 255);
    expectAsSnprintf("[%-8d|%+d|% d|%08.3f|%#o|%#X|%'d]", 42, 5, 7, -3.14159, 8, 0xBEEFu, 1234567);
    expectAsSnprintf("[%*d|%-*d|%.*f|%*.*e]", 6, 42, 6, 42, 2, 2.71828, 12, 3, 6.02e23);
    expectAsSnprintf("[%*d|%.*f]", -6, 42, -1, 0.5);
    expectAsSnprintf("%hhd %hhu %hd %hu", 300, 300, 70000, -1);
    expectAsSnprintf("%ld %lu %lld %llu %qd", -5L, ~0UL, -7LL, 8ULL, 9LL);
    expectAsSnprintf("%zu %zd %td %jd %jx", sizeof(int), static_cast<ssize_t>(-3), std::ptrdiff_t{-4},
                     std::intmax_t{-5}, std::uintmax_t{255});
    expectAsSnprintf("%u %x %o", -1, -1, -1);
    expectAsSnprintf("%g %G %e %E %F %a %A %.0f %#.0f", 1e-5, 1e20, 12.5, 0.001, 1.5, 1.0, 0.5, 2.5, 2.5);
    expectAsSnprintf("[%c|%3c|%-3c]", 'x', 'y', 'z');
    expectAsSnprintf("%2$s then %1$d, %3$.*4$f and %2$s", 7, "second", 3.14159, 2);
    expectAsSnprintf("[%10s|%-10s|%.3s]", "right", "left", "truncated");
    expectAsSnprintf("%p", reinterpret_cast<const void*>(0x1234));
    long double wide = 1.25L;
    char expected[64];
    std::snprintf(expected, sizeof expected, "%Lf", wide);
    EXPECT_EQ(foundation::stringWithFormat("%Lf", 1.25), expected);
}

TEST(FormatTest, ObjectPlaceholdersTakeWidthPrecisionAndPositions) {
    EXPECT_EQ(foundation::stringWithFormat("%2$@ before %1$@", "a", "b"), "b before a");
    EXPECT_EQ(foundation::stringWithFormat("[%6@|%-6@|%.2@]", "ab", "ab", "abc"), "[    ab|ab    |ab]");
    // Characters, not bytes, as the platform counts them.
    EXPECT_EQ(foundation::stringWithFormat("[%4@|%.1@]", "caf\u00e9", "\u00e9t\u00e9"), "[caf\u00e9|\u00e9]");
    EXPECT_EQ(foundation::stringWithFormat("%@ %@ %@", 42, 0.5, std::size_t{7}), "42 0.5 7");
    EXPECT_EQ(foundation::stringWithFormat("%s", static_cast<const char*>(nullptr)), "(null)");
    EXPECT_EQ(foundation::stringWithFormat("%@", std::string("nul\0inside", 10)), std::string("nul\0inside", 10));
}

TEST(FormatTest, DirectivesThatCannotBeFormattedAreLoggedAndNeverShiftArguments) {
    std::vector<std::string> logged;
    foundation::setLogSinkForTesting([&](const std::string& line) { logged.push_back(line); });
    struct Case {
        std::string formatted;
        std::string expected;
    };
    const Case cases[] = {
        {foundation::stringWithFormat("%d and %@", "text", "next"), "%d and next"},
        {foundation::stringWithFormat("%f then %d", 3, 4), "%f then 4"},
        {foundation::stringWithFormat("%s|%d", 1.5, 2), "%s|2"},
        {foundation::stringWithFormat("%d|%ld", 5'000'000'000LL, 5'000'000'000LL), "%d|5000000000"},
        {foundation::stringWithFormat("%*d|%d", "wide", 1, 2), "%*d|2"},
        {foundation::stringWithFormat("%@ and %@", "only"), "only and %@"},
        {foundation::stringWithFormat("%1$@ %@ %2$@", "a", "b"), "a %@ b"},
        {foundation::stringWithFormat("%@ %2$@ %@", "a", "b"), "a %2$@ b"},
        {foundation::stringWithFormat("%n%k%", "x"), "%n%k%"},
        {foundation::stringWithFormat("%ls|%@", "x", "y"), "%ls|y"},
        {foundation::stringWithFormat("%99999999d", 1), "%99999999d"},
    };
    foundation::setLogSinkForTesting(nullptr);
    for (const auto& c : cases) EXPECT_EQ(c.formatted, c.expected);
    EXPECT_EQ(logged.size(), 13u);
    for (const auto& line : logged) EXPECT_NE(line.find("copied as written"), std::string::npos) << line;
}

}  // namespace
