// Golden text files: a test's output compared with the file committed under
// tests/golden/, a readable line diff when they differ, and the way to
// accept a new output (SNAPFOLD_UPDATE_GOLDENS=1 rewrites the files).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace goldentest {

// The folder of the committed golden files.
std::filesystem::path goldenDirectory();

// Lines of `expected` and `actual` in the manner of a unified diff: "---" and
// "+++" headers, "@@ -a,b +c,d @@" hunks with `context` lines around each
// change, "-" for lines only expected, "+" for lines only produced. Empty when
// the texts are equal.
std::string unifiedDiff(const std::string& expected, const std::string& actual, const std::string& expectedName,
                        const std::string& actualName, int context = 3);

// Success when `actual` equals the golden file `name`; otherwise a failure
// that carries the diff and says how to accept the new text. With
// SNAPFOLD_UPDATE_GOLDENS=1 the file is written instead, and the check passes.
::testing::AssertionResult matchesGoldenFile(const std::string& actual, const std::string& name);

}  // namespace goldentest
