#include "tests/hosts/settings-app/render/GoldenText.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace goldentest {

namespace {

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

enum class Edit { Keep, Remove, Add };

// The shortest edit script by the longest common subsequence; the texts
// compared here are a few hundred lines.
std::vector<std::pair<Edit, std::string>> editScript(const std::vector<std::string>& a,
                                                     const std::vector<std::string>& b) {
    std::size_t n = a.size(), m = b.size();
    std::vector<std::vector<std::uint32_t>> common(n + 1, std::vector<std::uint32_t>(m + 1, 0));
    for (std::size_t i = n; i-- > 0;)
        for (std::size_t j = m; j-- > 0;)
            common[i][j] = a[i] == b[j] ? common[i + 1][j + 1] + 1 : std::max(common[i + 1][j], common[i][j + 1]);
    std::vector<std::pair<Edit, std::string>> script;
    std::size_t i = 0, j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && a[i] == b[j]) {
            script.emplace_back(Edit::Keep, a[i++]);
            ++j;
        } else if (i < n && (j == m || common[i + 1][j] >= common[i][j + 1])) {
            script.emplace_back(Edit::Remove, a[i++]);  // removals first, as diff writes them
        } else {
            script.emplace_back(Edit::Add, b[j++]);
        }
    }
    return script;
}

std::string readFile(const std::filesystem::path& file, bool& found) {
    std::ifstream in(file, std::ios::binary);
    found = static_cast<bool>(in);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

std::filesystem::path goldenDirectory() { return SNAPFOLD_GOLDEN_DIR; }

std::string unifiedDiff(const std::string& expected, const std::string& actual, const std::string& expectedName,
                        const std::string& actualName, int context) {
    if (expected == actual) return {};
    auto script = editScript(splitLines(expected), splitLines(actual));
    std::string out = "--- " + expectedName + "\n+++ " + actualName + "\n";
    // Group the changes into hunks: changes at most 2 * context kept lines
    // apart share a hunk, and each hunk shows `context` kept lines around it.
    std::vector<std::size_t> changes;
    for (std::size_t e = 0; e < script.size(); ++e)
        if (script[e].first != Edit::Keep) changes.push_back(e);
    std::size_t around = static_cast<std::size_t>(std::max(context, 0));
    for (std::size_t c = 0; c < changes.size();) {
        std::size_t first = changes[c], last = changes[c];
        while (c + 1 < changes.size() && changes[c + 1] - last <= 2 * around + 1) last = changes[++c];
        ++c;
        std::size_t start = first >= around ? first - around : 0;
        std::size_t end = std::min(script.size(), last + around + 1);
        // Line numbers (from 1) of the hunk in each text.
        std::size_t oldLine = 1, newLine = 1;
        for (std::size_t e = 0; e < start; ++e) {
            if (script[e].first != Edit::Add) ++oldLine;
            if (script[e].first != Edit::Remove) ++newLine;
        }
        std::size_t oldCount = 0, newCount = 0;
        std::string body;
        for (std::size_t e = start; e < end; ++e) {
            char mark = script[e].first == Edit::Keep ? ' ' : script[e].first == Edit::Remove ? '-' : '+';
            if (script[e].first != Edit::Add) ++oldCount;
            if (script[e].first != Edit::Remove) ++newCount;
            body += mark + script[e].second + "\n";
        }
        out += "@@ -" + std::to_string(oldLine) + "," + std::to_string(oldCount) + " +" + std::to_string(newLine) +
               "," + std::to_string(newCount) + " @@\n" + body;
    }
    return out;
}

::testing::AssertionResult matchesGoldenFile(const std::string& actual, const std::string& name) {
    std::filesystem::path file = goldenDirectory() / name;
    const char* update = std::getenv("SNAPFOLD_UPDATE_GOLDENS");
    if (update && std::string(update) == "1") {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << actual;
        if (!out.flush()) return ::testing::AssertionFailure() << "cannot write the golden file " << file;
        return ::testing::AssertionSuccess() << "wrote " << file;
    }
    bool found = false;
    std::string expected = readFile(file, found);
    if (!found)
        return ::testing::AssertionFailure()
               << "no golden file " << file << "; run the test with SNAPFOLD_UPDATE_GOLDENS=1 to write it";
    if (expected == actual) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the output differs from " << file << ":\n"
                                         << unifiedDiff(expected, actual, "tests/golden/" + name, "current output")
                                         << "If the change is intended, accept it with SNAPFOLD_UPDATE_GOLDENS=1 "
                                            "(see tests/golden/README.md).";
}

}  // namespace goldentest
